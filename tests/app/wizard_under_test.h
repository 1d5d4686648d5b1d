// The main window over a scripted burner, walked as a user walks it, and the
// scripted drives the wizard tests share.
#pragma once

#include "choose_task.h"
#include "image_button.h"
#include "main.h"
#include "scripted_backend.h"
#include "sxDrvLib/CapabilitySet.h"

#include <QtTest>
#include <memory>

namespace zelvane::app::testing {

constexpr uint32_t kCdWriter = zelvane::kReadsCdR | zelvane::kWritesCdR | zelvane::kUnderrunProtection;
constexpr uint32_t kDvdWriter = zelvane::kReadsDvdRom | zelvane::kWritesDvdR;
constexpr uint32_t kReader = zelvane::kReadsCdR | zelvane::kReadsDvdRom;

inline ScriptedDrive Drive(int target, uint32_t caps)
{
    ScriptedDrive drive;
    drive.line = DriveLine(target, "/dev/sr" + std::to_string(target), "DRIVE " + std::to_string(target));
    drive.capabilities = caps;
    return drive;
}

// A CD writer holding a blank CD-RW: every task reaches its process page.
inline ScriptedDrive WriterWithBlankDisc()
{
    ScriptedDrive drive = Drive(0, kCdWriter);
    drive.mediaCode = 3;
    drive.discStatus = 0;
    drive.capacity = 359847;
    drive.erasable = true;
    drive.maxWriteSpeed = 7056;
    return drive;
}

struct WizardUnderTest {
    ScriptedBackend *burner;
    std::unique_ptr<TForm1> window;

    explicit WizardUnderTest(std::vector<ScriptedDrive> drives, bool transportWorks = true)
    {
        auto backend = std::make_unique<ScriptedBackend>();
        backend->drives = std::move(drives);
        backend->transportWorks = transportWorks;
        burner = backend.get();
        window = std::make_unique<TForm1>(std::move(backend));
    }
    void show()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    // Shows the window, picks the task and goes steps pages on.
    void walk(int task, int steps)
    {
        show();
        taskPage()->PanelClick(task);
        for (int i = 0; i < steps; ++i)
            next();
    }
    QString page() const { return window->CurrentPage() ? window->CurrentPage()->windowTitle() : QString(); }
    void next() { window->PngSpeedButton1Click(); }
    TForm2 *taskPage() const { return qobject_cast<TForm2 *>(window->CurrentPage()); }
    template <typename Page> Page *current() const { return qobject_cast<Page *>(window->CurrentPage()); }
    // Visible states of Next, Stop, Done and the enabled state of Start over.
    QString buttons() const
    {
        QString state;
        state += !window->PngSpeedButton1()->isHidden() ? QLatin1Char('N') : QLatin1Char('-');
        state += !window->PngSpeedButton4()->isHidden()
                     ? (window->PngSpeedButton4()->isEnabled() ? QLatin1Char('S') : QLatin1Char('s'))
                     : QLatin1Char('-');
        state += !window->PngSpeedButton5()->isHidden() ? QLatin1Char('D') : QLatin1Char('-');
        state += window->PngSpeedButton2()->isEnabled() ? QLatin1Char('B') : QLatin1Char('-');
        return state;
    }
};

} // namespace zelvane::app::testing
