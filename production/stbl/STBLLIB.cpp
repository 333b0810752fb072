// The C entry points of the bootloader library over one process-wide session.
#include "production/stbl/STBLLIB.h"
#include "production/stbl/StblSerialPort.h"
#include "production/stbl/StblSession.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <string>

namespace {

struct Library {
    int port = 1;
    std::string device;  // empty: from the port number
    stbl::LineSettings settings;
    std::optional<STBL_Transport> transport;
    std::optional<stbl::TransportLine> callbackLine;
    stbl::SerialPort serial;
    stbl::Session session;
    bool open = false;
};

Library& lib()
{
    static Library l;
    return l;
}

}  // namespace

extern "C" {

unsigned char SetCOMSettings(int port, int baud, int dataBits, int parity, float stopBits)
{
    Library& l = lib();
    const bool oneStop = std::fabs(stopBits - 1.0f) < 0.01f, twoStop = std::fabs(stopBits - 2.0f) < 0.01f;
    if (port < 1 || port > 255 || dataBits < 5 || dataBits > 8 || parity < STBL_PARITY_EVEN || parity > STBL_PARITY_NONE ||
        !(oneStop || twoStop))
        return STBL_ERR_SETTINGS;
    stbl::LineSettings s{baud, dataBits, parity, twoStop ? 2 : 1};
    static constexpr int rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};
    bool known = false;
    for (int r : rates)
        known = known || r == baud;
    if (!known)
        return STBL_ERR_SETTINGS;
    l.port = port;
    l.settings = s;
    return STBL_OK;
}

unsigned char SetCOMDevice(const char* path)
{
    if (path && std::strlen(path) > STBL_MAX_DEVICE_PATH)
        return STBL_ERR_ARGUMENT;
    lib().device = path ? path : "";
    return STBL_OK;
}

unsigned char COM_Open(void)
{
    Library& l = lib();
    if (l.open)
        return STBL_ALREADY_OPEN;
    if (l.transport) {
        l.callbackLine.emplace(*l.transport);
        l.callbackLine->discardInput();
        l.session.attach(&*l.callbackLine);
    } else {
        const std::string name = l.device.empty() ? stbl::portDeviceName(l.port) : l.device;
        if (const std::uint8_t s = l.serial.open(name, l.settings); s != STBL_OK)
            return s;
        l.session.attach(&l.serial);
    }
    l.open = true;
    return STBL_OK;
}

unsigned char COM_Close(void)
{
    Library& l = lib();
    l.session.attach(nullptr);
    l.serial.close();
    l.callbackLine.reset();
    l.open = false;
    return STBL_OK;
}

void SetTimeOut(unsigned int milliseconds) { lib().session.setTimeout(milliseconds); }

unsigned char STBL_Init_BL(void) { return lib().session.init(); }

unsigned char STBL_GET(unsigned char* version, STBL_Commands* commands) { return lib().session.get(version, commands); }

unsigned char STBL_ERASE(unsigned short nbSectors, const unsigned char* sectors)
{
    return lib().session.erase(nbSectors, sectors);
}

unsigned char STBL_DNLOAD(unsigned int address, const unsigned char* data, unsigned int length, unsigned char pad)
{
    return lib().session.write(address, data, length, pad != 0);
}

unsigned char STBL_READ(unsigned int address, unsigned char* data, unsigned int length)
{
    return lib().session.read(address, data, length);
}

unsigned char STBL_GO(unsigned int address) { return lib().session.go(address); }

unsigned char STBL_READOUT_PROTECT(void) { return lib().session.protectionCommand(STBL_CMD_READOUT_PROTECT); }

unsigned char STBL_READOUT_PERM_UNPROTECT(void) { return lib().session.protectionCommand(STBL_CMD_READOUT_UNPROTECT); }

unsigned char STBL_WRITE_PERM_UNPROTECT(void) { return lib().session.protectionCommand(STBL_CMD_WRITE_UNPROTECT); }

unsigned char STBL_SetTransport(const STBL_Transport* transport)
{
    if (transport && (!transport->write || !transport->read_byte || !transport->tick_ms))
        return STBL_ERR_ARGUMENT;
    COM_Close();
    Library& l = lib();
    if (transport)
        l.transport = *transport;
    else
        l.transport.reset();
    return STBL_OK;
}

}  // extern "C"
