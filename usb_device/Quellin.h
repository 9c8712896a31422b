/* Quellin: the library of the ordering system's USB keypad (vendor 0xE1B1,
 * product 0x12CD, version 0x0102). Plain C functions for callers in any
 * language.
 *
 * Reports on the wire are 9 bytes: report number 0, then 8 data bytes. The
 * reader stores each input report's 8 data bytes as one record in the
 * caller's ring of 151 records (1208 bytes, offsets 0, 8, ..., 1200); a key
 * record (type 2 in byte 0) carries its key code in byte 1 and 0xFF in
 * bytes 2 to 7. Run Read_USB_Device on a thread of its own and poll
 * Is_USB_Device_Rec from another.
 */
#ifndef QUELLIN_H
#define QUELLIN_H

#include <stdbool.h>
#include <stdint.h>

#define QUELLIN_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* 1 a device is already open (nothing done), 2 the list of HID interfaces
 * cannot be had, 3 an interface's path cannot be read, 4 the last interface
 * examined could not be opened and none before it was the device, 7 the
 * device was found and opened, 8 no interface is the device. */
QUELLIN_API uint16_t Open_USB_Device(void);

/* Writes one output report of 8 data bytes: 10 written, 8 failed (also when
 * the device takes nothing within 1 s), 9 not open. */
QUELLIN_API uint16_t Write_USB_Device(const uint8_t* data);

/* Waits for one input report and copies its 8 data bytes to `out`. False
 * when the device is closed or lost first. */
QUELLIN_API bool Read_USB_DeviceEX(uint8_t* out);

/* Reads records into `ring` (1208 bytes) until the device is closed or
 * lost; then returns false. */
QUELLIN_API bool Read_USB_Device(uint8_t* ring);

/* Closes the device; a running reader ends at once. Returns false. */
QUELLIN_API bool Close_USB_Device(void);

/* 1 when the device is usable (opening it again after a loss), else 0. */
QUELLIN_API int Is_USB_Device_Exist(void);

/* The open device's handle, -1 when none. */
QUELLIN_API intptr_t Get_USB_Device_Handler(void);

/* Offset in the ring where the next record goes; Reset sets it to 0. */
QUELLIN_API int Is_USB_Device_Rec(void);
QUELLIN_API void Reset_USB_Device_Rec(void);

/* Samples, used by nothing. */
QUELLIN_API extern int nTarnex;
QUELLIN_API int fnTarnex(void);

#ifdef __cplusplus
}

class QUELLIN_API CTarnex {
public:
    CTarnex();
    CTarnex& operator=(const CTarnex& other);
};
#endif

#endif
