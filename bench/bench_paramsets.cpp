// ListParameterSets over a folder of 60 parameter sets (goal: at most 20 ms): the folder scan and
// file reading alone, and the feature filling CbConfigFiles and ParameterSetPaths of the main form.
#include "app/ui/MainContext.h"
#include "bench/support/BenchSupport.h"
#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "params/ParameterSetList.h"
#include "params/ui/ParameterSetFeature.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "sim/SimHidPlatform.h"
#include "ui_Main.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <optional>

namespace {

// 60 sets as a save writes them, each with its own text, plus a few other files of the folder.
struct SetFolder {
    QTemporaryDir dir;
    SetFolder()
    {
        for (int i = 0; i < 60; ++i) {
            QFile f(dir.filePath(QStringLiteral("set%1.tcf").arg(i, 2, 10, QLatin1Char('0'))));
            if (!f.open(QIODevice::WriteOnly))
                return;
            f.write("[Parameter]\r\nKennung=0x00000201\r\nText=Parametersatz " + QByteArray::number(i) +
                    "\r\nTyp=AKP 120\r\nRuecklaufzeit=2500\r\nMaxPresszeit=10000\r\nTestUBattWarnung=15000\r\n"
                    "TestUBattMin=14000\r\nTestUBattPWM=50\r\nRucklaufPwmStart=100\r\nRucklaufPwmHold=30\r\n"
                    "AwSprung=10\r\nMinAw=80\r\nMinAwGelb=90\r\nMinAwGruen=95\r\nMaxAwGelb=110\r\nMaxAwGruen=105\r\n"
                    "ServiceIntervall=10000\r\nStartGarantie=50\r\nMinTemp=-10\r\nMaxTemp=50\r\n"
                    "AbschaltdruckMin=650\r\nAbschaltdruckMax=720\r\nKolbendurchmesser=40\r\nFlags=0\r\nCS=9600\r\n");
        }
        for (const char* other : {"pressdiag.ini", "logo", "manual.pdf"}) {
            QFile f(dir.filePath(QString::fromLatin1(other)));
            if (f.open(QIODevice::WriteOnly))
                f.write("[Settings]\r\nLanguage=0\r\n");
        }
    }
};

void BM_ListParameterSetsLogic(benchmark::State& state)
{
    SetFolder folder;
    for (auto _ : state) {
        const ParameterSetListing l = listParameterSets(folder.dir.path());
        if (l.entries.size() != 50 || l.selected != -1)
            state.SkipWithError("60 sets must list as 50 with none selected");
        benchmark::DoNotOptimize(l.entries.data());
    }
}

void BM_ListParameterSetsFeature(benchmark::State& state)
{
    SetFolder folder;
    FakeClock clock;
    SimHidPlatform hid{clock};
    TUsbHidInterface link{hid, clock};
    NoPrompts prompts;
    NoShell shell;
    AppPaths paths;
    paths.appDir = folder.dir.path();
    QWidget window;
    Ui::THauptDialog ui;
    ui.setupUi(&window);
    MainState mainState;
    MainContext ctx{window, ui, mainState, link, clock, prompts, shell, paths, {}};
    ParameterSetFeature sets(ctx);
    for (auto _ : state) {
        sets.ListParameterSets();
        if (ui.CbConfigFiles->count() != 50)
            state.SkipWithError("60 sets must list as 50");
    }
}

BENCHMARK(BM_ListParameterSetsLogic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListParameterSetsFeature)->Unit(benchmark::kMillisecond);
}  // namespace
