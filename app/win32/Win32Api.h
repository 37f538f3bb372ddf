#pragma once
// <windows.h> for this front end. The SDK's MessageBox macro would rename the
// core's WindowServices::MessageBox in every file that sees both, so it goes;
// the wide call is always spelled MessageBoxW here.
#include <windows.h>
#undef MessageBox
