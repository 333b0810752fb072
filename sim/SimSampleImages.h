// HEX images for the simulated production bench, made by code: the USB bootloader that the
// serial bootloader programs into the controller, and a test and a series firmware for the USB
// download. Deterministic content, so tests can compare what arrives.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct SimImageBlock {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
};

// Intel HEX text of the blocks, 16 data bytes per record. linear: extended linear address
// records (type 04) for full 32-bit addresses; otherwise extended segment records (type 02).
std::string SimIntelHex(std::span<const SimImageBlock> blocks, bool linear = true);

// A controller image of `size` bytes at the flash base: a vector table, then code-like bytes.
// With usbBootloaderTag the simulated board recognises it as the USB bootloader.
SimImageBlock SimControllerImage(std::uint32_t size, bool usbBootloaderTag);

// The three samples as HEX text.
std::string SimUsbBootloaderHex();   // 12 KB at 0x08000000, recognised by the simulated board
std::string SimTestFirmwareHex();    // for the tool's application area, from 0x3000
std::string SimSeriesFirmwareHex();  // likewise, larger

// File names of the samples as the build writes them.
inline constexpr const char* SimUsbBootloaderFile = "usb-bootloader.hex";
inline constexpr const char* SimTestFirmwareFile = "test-firmware.hex";
inline constexpr const char* SimSeriesFirmwareFile = "series-firmware.hex";
