// What the main window's feature classes share: the window's state, its generated form,
// the injected services and the other features they call into.
#pragma once

#include "platform/AppPaths.h"

class QWidget;
class Clock;
class Prompts;
class Shell;
class HidPlatform;
class TUsbHidInterface;
struct MainState;
namespace Ui { class THauptDialog; }

class StatusFeature;
class ParameterFeature;
class ParameterSetFeature;
class CurvesFeature;
class ServiceFeature;
class DiaryFeature;
class CalibrationFeature;
class FirmwareFeature;

// The services a main window is built on; the product passes real ones, tests fakes.
struct Services {
    HidPlatform& hid;
    Clock& clock;
    Prompts& prompts;
    Shell& shell;
    AppPaths paths;
    bool manufacturer = false;  // --manufacturer
    bool production = false;    // --production
    bool debug = false;         // --debug
};

struct Features {
    StatusFeature* status = nullptr;
    ParameterFeature* params = nullptr;
    ParameterSetFeature* paramSets = nullptr;
    CurvesFeature* curves = nullptr;
    ServiceFeature* service = nullptr;
    DiaryFeature* diaries = nullptr;
    CalibrationFeature* calibration = nullptr;
    FirmwareFeature* firmware = nullptr;
};

struct MainContext {
    QWidget& window;          // the THauptDialog, owner of every dialog
    Ui::THauptDialog& ui;     // generated from app/ui/Main.ui; controls carry their documented names
    MainState& state;
    TUsbHidInterface& link;
    Clock& clock;
    Prompts& prompts;
    Shell& shell;
    const AppPaths& paths;
    Features features;        // filled by THauptDialog after constructing them
};
