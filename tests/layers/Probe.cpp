// Compiled once per row of the layer table with ORV_PROBE_HEADER set.
#include ORV_PROBE_HEADER
