// TForm1: the wizard's main window. It owns the burner component and the
// current page, swaps pages on Next and Start over, runs Stop, Done and Help
// by the caption of the current page, decides whether the window may close,
// and forwards the burner's completion events to the process page.
#pragma once

#include "drive_backend.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TForm1;
}

namespace zelvane::ui {
class ImageButton;
}

namespace zelvane::app {

class HelpViewer;
class WizardPage;

// The main window's caption, also its title whenever no task runs.
inline const QString MainCaption = QStringLiteral("Zelvane");

// Page captions the shell acts on.
namespace PageCaption {
inline const QString ChooseTask = QStringLiteral("Choose Task");
inline const QString AddFiles = QStringLiteral("Add Files");
inline const QString BurnOptions = QStringLiteral("Burn Options");
inline const QString Process = QStringLiteral("Process");
inline const QString Info = QStringLiteral("Info");
inline const QString EraseOptions = QStringLiteral("Erase Options");
inline const QString Sessions = QStringLiteral("Sessions");
} // namespace PageCaption

class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(std::unique_ptr<DriveBackend> burner, QWidget *parent = nullptr);
    ~TForm1() override;

    // False when start-up found no transport (the process was told to end).
    bool Started() const { return started_; }

    DriveBackend &sarnixb() { return *sarnixb_; }

    void SelectDrive(int index);
    bool DriveCheck(int index);
    void ShowStopButton(bool enabled);

    zelvane::ui::ImageButton *PngSpeedButton1() const; // Next
    zelvane::ui::ImageButton *PngSpeedButton2() const; // Start over
    zelvane::ui::ImageButton *PngSpeedButton3() const; // Help
    zelvane::ui::ImageButton *PngSpeedButton4() const; // Stop
    zelvane::ui::ImageButton *PngSpeedButton5() const; // Done

    WizardPage *CurrentPage() const { return currentPage_.get(); }

    // Button handlers.
    void PngSpeedButton1Click();
    void PngSpeedButton2Click();
    void PngSpeedButton3Click();
    void PngSpeedButton4Click();
    void PngSpeedButton5Click();

    // Completion events of the burner.
    void sarnixbEraseDone(bool withError);
    void sarnixbWriteDone(const QString &error);
    void sarnixbFinalizingTrack();

    // Brings the window to the front (a second start asked for it).
    void Activate();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    bool FormCloseQuery();
    QString CurrentCaption() const;
    void DestroyCurrentPage();
    template <typename Page> void ShowNewPage();
    void ShowPageForTask();
    void NextFromCurrentPage();

    std::unique_ptr<Ui::TForm1> ui_;
    std::unique_ptr<DriveBackend> sarnixb_;
    std::unique_ptr<WizardPage> currentPage_;
    std::unique_ptr<HelpViewer> helpViewer_;
    bool started_ = false;
    bool firstShowDone_ = false;
};

} // namespace zelvane::app
