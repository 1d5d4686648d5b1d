// The wizard on the real engine and the virtual drive of the test (its own
// folder), with the virtual drive's control tool at hand.
#pragma once

#include "choose_task.h"
#include "engine_backend.h"
#include "global.h"
#include "info.h"
#include "info_page_probe.h"
#include "main.h"
#include "sessions.h"
#include "ui_sessions.h"
#include "sxCDBC/SarnixBurner.h"

#include <QProcess>
#include <QtTest>
#include <chrono>
#include <memory>
#include <thread>

namespace zelvane::app::testing {

struct VirtualDriveWizard {
    std::unique_ptr<TForm1> window;
    zelvane::TSarnixBurner *burner = nullptr;
    TForm6 *page = nullptr;

    // With quickWaits every fixed wait of the engine lasts a hundredth of its
    // time (the virtual drive runs in its fast mode).
    explicit VirtualDriveWizard(bool quickWaits = false)
    {
        auto backend = MakeEngineBackend();
        burner = EngineBurner(*backend);
        if (quickWaits)
            burner->SetSleepForTests(
                [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms / 100)); });
        window = std::make_unique<TForm1>(std::move(backend));
    }
    bool onVirtualDrive() const
    {
        const QStringList &names = Wizard().DriveNames;
        return names.size() == 1 && names[0].startsWith(QStringLiteral("vdrive "));
    }
    void showInfo()
    {
        window->show();
        qobject_cast<TForm2 *>(window->CurrentPage())->PanelClick(Task::DiscInfo);
        window->PngSpeedButton1Click();
        page = qobject_cast<TForm6 *>(window->CurrentPage());
    }
    QStringList values() { return InfoValues(*page); }
    QStringList fields() { return InfoFields(*page); }
    uint32_t shownAbilities() { return ShownAbilities(*page); }
    // Next: the sessions page's first line.
    QString sessionsLine()
    {
        window->PngSpeedButton1Click();
        return qobject_cast<TForm8 *>(window->CurrentPage())->Form().TreeView1->topLevelItem(0)->text(0);
    }
};

// Runs a program of the build (zelvane-vdrive, zelvane-cli); its standard
// output, or nothing when it failed.
inline std::optional<QString> RunBuiltTool(const QString &name, const QStringList &arguments)
{
    QProcess tool;
    tool.start(QCoreApplication::applicationDirPath() + QLatin1Char('/') + name, arguments);
    if (!tool.waitForFinished(120000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput());
}

} // namespace zelvane::app::testing

#define VDRIVE_OR_SKIP(wizard)                                                                                       \
    do {                                                                                                             \
        if (!(wizard).onVirtualDrive())                                                                              \
            QSKIP("an optical drive of this machine is preferred over the virtual drive");                          \
    } while (false)
