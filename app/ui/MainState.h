// The main window's state for the whole run, shared by reference with its feature classes.
#pragma once

#include "params/ParameterBlock.h"

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QBuffer;
class TUsbHidInterface;

struct WarrantyStartValue {
    std::uint32_t day = 255, month = 255, year = 255, hour = 255, minute = 255;
    bool notRead() const { return day == 255 && month == 255 && year == 255 && hour == 255 && minute == 255; }
    bool none() const { return day == 0 && month == 0 && year == 0; }
};

struct MainState {
    TUsbHidInterface* link = nullptr;       // owned by THauptDialog
    ParameterBlock parameterBlock;          // as last read from the tool (200 bytes, all zero at start)
    WarrantyStartValue WarrantyStart;       // 255 in all five until read
    float BatteryVoltage = 0.0f;            // volts, single precision on purpose
    float ChipTemperature = 0.0f;           // °C
    std::uint32_t LanguageIndex = 0;
    QString IniPath;
    std::array<QString, 11> LinkTargets;    // index 1..10
    std::array<QString, 50> ParameterSetPaths;
    bool AbortRequested = false;
    QBuffer* MemoryStream = nullptr;        // owned by THauptDialog from its first show until close
    // The controller-programming library, loaded on first use; closing the window frees it.
    bool LibraryLoaded = false;
    std::function<void()> FreeLibrary;
    // Chart state (plot geometry, bands, snapshot, current path) is owned by the curves feature.
};

// Press-cycle counter last seen by the monitor on the status page: process-wide, never reset.
extern std::int32_t LastCycleCount;
