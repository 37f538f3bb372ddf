#include "link/serial/win32/LineDcb.h"

namespace orv::link {

namespace {

BYTE DcbParity(Parity p) {
    switch (p) {
        case Parity::Even: return EVENPARITY;
        case Parity::Odd: return ODDPARITY;
        case Parity::Mark: return MARKPARITY;
        case Parity::Space: return SPACEPARITY;
        case Parity::None: break;
    }
    return NOPARITY;
}

BYTE DcbStopBits(StopBits s) {
    switch (s) {
        case StopBits::OneAndHalf: return ONE5STOPBITS;
        case StopBits::Two: return TWOSTOPBITS;
        case StopBits::One: break;
    }
    return ONESTOPBIT;
}

}  // namespace

void PutLineSettings(DCB& dcb, const LineSettings& line) {
    dcb.BaudRate = static_cast<DWORD>(line.baud);
    dcb.ByteSize = static_cast<BYTE>(line.dataBits);
    dcb.Parity = DcbParity(line.parity);
    dcb.StopBits = DcbStopBits(line.stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = line.parity != Parity::None;
    // No handshake of any kind; the modem lines are simply raised, as a plain
    // device open does elsewhere.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
}

}  // namespace orv::link
