/* STBLLIB: the host side of the controller's built-in ROM serial bootloader, as a shared library
 * with C entry points that the program loads at run time (libSTBLLIB.so, STBLLIB.dll).
 *
 * Framing on the wire: every command is its code and the code's complement, answered by ACK 0x79
 * or NACK 0x1F. One session at a time: the library keeps one port and the controller's command
 * list from the last STBL_GET. Every call returns a status byte (STBL_OK on success) and never
 * waits longer than its time-outs: each awaited answer is bounded by SetTimeOut's limit, a mass
 * erase by STBL_ERASE_TIMEOUT_MS and the protection commands (with the controller's restart and
 * fresh synchronisation) by STBL_PROTECT_TIMEOUT_MS.
 *
 * Not thread-safe: call from one thread.
 */
#ifndef PRESSDIAG_STBLLIB_H
#define PRESSDIAG_STBLLIB_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  define STBL_API __declspec(dllexport)
#else
#  define STBL_API __attribute__((visibility("default")))
#endif

/* Status bytes. */
#define STBL_OK                  0x00
#define STBL_ALREADY_OPEN        0x02 /* COM_Open: the port was open already and stays so (success) */
#define STBL_ERR_NO_ANSWER       0x10 /* the controller did not answer within the time-out */
#define STBL_ERR_NACK            0x11 /* the controller refused (NACK) */
#define STBL_ERR_UNKNOWN         0x12 /* STBL_Init_BL: the answer was neither ACK nor NACK */
#define STBL_ERR_BAD_ANSWER      0x13 /* an answer that the protocol does not allow at that point */
#define STBL_ERR_NOT_OPEN        0x14 /* no port is open (COM_Open first) */
#define STBL_ERR_OPEN            0x15 /* the port could not be opened */
#define STBL_ERR_SETTINGS        0x16 /* the line settings are invalid or the port refused them */
#define STBL_ERR_IO              0x17 /* reading from or writing to the port failed */
#define STBL_ERR_ARGUMENT        0x18 /* an argument out of range (null pointer, length, count) */
#define STBL_ERR_NOT_SUPPORTED   0x19 /* the controller's command list (STBL_GET) lacks the command */

/* Command codes of the ROM bootloader. */
#define STBL_CMD_GET                 0x00
#define STBL_CMD_READ_MEMORY         0x11
#define STBL_CMD_GO                  0x21
#define STBL_CMD_WRITE_MEMORY        0x31
#define STBL_CMD_ERASE               0x43
#define STBL_CMD_EXTENDED_ERASE      0x44
#define STBL_CMD_WRITE_UNPROTECT     0x73
#define STBL_CMD_READOUT_PROTECT     0x82
#define STBL_CMD_READOUT_UNPROTECT   0x92
#define STBL_SYNC                    0x7F
#define STBL_ACK                     0x79
#define STBL_NACK                    0x1F

/* Limits. */
#define STBL_DEFAULT_TIMEOUT_MS      1000u  /* per answer, until SetTimeOut changes it */
#define STBL_ERASE_TIMEOUT_MS        30000u /* the answer to a (mass) erase */
#define STBL_PROTECT_TIMEOUT_MS      30000u /* protection change, restart and re-synchronisation */
#define STBL_MAX_BLOCK               256u   /* bytes per WRITE MEMORY / READ MEMORY request */
#define STBL_MAX_DEVICE_PATH         4095u

/* Parity values of SetCOMSettings. 0 selects the bootloader's own framing. */
#define STBL_PARITY_EVEN 0
#define STBL_PARITY_ODD  1
#define STBL_PARITY_NONE 2

/* What STBL_GET fills: the command codes the controller offers, in its order. */
typedef struct STBL_Commands {
    unsigned char Count;      /* number of valid entries in Codes */
    unsigned char Codes[255];
} STBL_Commands;

/* Port selection and line settings; takes effect at the next COM_Open.
 * port: n selects the platform's name for COMn: "COMn" on Windows ("\\\\.\\COMn" beyond 9),
 *       /dev/ttyS(n-1) on Linux; 1..255. A device path given to SetCOMDevice takes precedence.
 * baud: a standard rate (1200 .. 115200, 230400). dataBits: 5..8. parity: STBL_PARITY_*.
 * stopBits: 1.0 or 2.0. STBL_ERR_SETTINGS for anything else; the previous settings then stay. */
STBL_API unsigned char SetCOMSettings(int port, int baud, int dataBits, int parity, float stopBits);

/* Names the serial device to open instead of COMn, e.g. a USB serial adapter "/dev/ttyUSB0" or a
 * pseudo-terminal. path NULL or "" goes back to the port number. The string is copied; at most
 * STBL_MAX_DEVICE_PATH characters (else STBL_ERR_ARGUMENT and nothing changes). */
STBL_API unsigned char SetCOMDevice(const char* path);

/* Opens the port exclusively with the settings above and discards stale input.
 * STBL_OK, STBL_ALREADY_OPEN (nothing changes), STBL_ERR_OPEN or STBL_ERR_SETTINGS. */
STBL_API unsigned char COM_Open(void);

/* Closes the port (nothing happens when none is open) and forgets the command list. */
STBL_API unsigned char COM_Close(void);

/* The per-answer time-out in milliseconds (0 is taken as 1). Long operations keep their own. */
STBL_API void SetTimeOut(unsigned int milliseconds);

/* Synchronisation: sends 0x7F. ACK, or NACK (already synchronised), give STBL_OK; any other byte
 * STBL_ERR_UNKNOWN; silence STBL_ERR_NO_ANSWER. */
STBL_API unsigned char STBL_Init_BL(void);

/* GET: the bootloader version (high nibble major, low nibble minor) and the command list; both
 * pointers may be NULL. The library remembers whether ERASE or EXTENDED ERASE is offered. */
STBL_API unsigned char STBL_GET(unsigned char* version, STBL_Commands* commands);

/* Erase. nbSectors 255 with sectors NULL: the whole flash (mass erase). 1..254: that many page
 * numbers from sectors (0..255 with ERASE; with EXTENDED ERASE too). Uses the erase command the
 * last STBL_GET reported (ERASE when no GET was made). */
STBL_API unsigned char STBL_ERASE(unsigned short nbSectors, const unsigned char* sectors);

/* Writes length bytes from data to address, in WRITE MEMORY requests of up to STBL_MAX_BLOCK
 * bytes. Never reads data beyond length. pad 1: a length that is not a multiple of 4 is filled
 * up with 0xFF on the wire (the bootloader writes whole words); pad 0: such a length is
 * STBL_ERR_ARGUMENT. length 0 sends nothing. */
STBL_API unsigned char STBL_DNLOAD(unsigned int address, const unsigned char* data, unsigned int length,
                                   unsigned char pad);

/* Reads length bytes from address into data (READ MEMORY, up to STBL_MAX_BLOCK per request). */
STBL_API unsigned char STBL_READ(unsigned int address, unsigned char* data, unsigned int length);

/* GO: the controller jumps to address. After STBL_OK the bootloader no longer listens. */
STBL_API unsigned char STBL_GO(unsigned int address);

/* Protection commands. Each is answered twice (accepted, done); the controller then restarts and
 * the call returns only after it has answered a fresh synchronisation. READOUT UNPROTECT erases
 * the whole flash. */
STBL_API unsigned char STBL_READOUT_PROTECT(void);
STBL_API unsigned char STBL_READOUT_PERM_UNPROTECT(void);
STBL_API unsigned char STBL_WRITE_PERM_UNPROTECT(void);

/* For test harnesses and simulators: a byte line and a clock to use instead of a serial port.
 * write: 0 on success. read_byte: waits up to timeout_ms for one byte; 1 = *byte set, 0 = time-out,
 * -1 = line failure. discard_input may be NULL. tick_ms: a monotonic millisecond count, which must
 * move on by the time-out whenever read_byte times out. With a transport set, COM_Open opens it
 * instead of a device. NULL goes back to serial ports. The table is copied; context is not owned.
 * STBL_ERR_ARGUMENT when a required callback is missing; closes an open port first. */
typedef struct STBL_Transport {
    void* context;
    int (*write)(void* context, const unsigned char* data, unsigned int length);
    int (*read_byte)(void* context, unsigned char* byte, unsigned int timeout_ms);
    void (*discard_input)(void* context);
    unsigned long long (*tick_ms)(void* context);
} STBL_Transport;
STBL_API unsigned char STBL_SetTransport(const STBL_Transport* transport);

#ifdef __cplusplus
}
#endif

#endif
