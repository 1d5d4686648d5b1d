// TForm5, "Process": the last page of every task that writes or erases. It
// starts the operation the earlier pages prepared (erasing first when
// asked), shows its progress on two timers, takes the burner's completion
// events from the shell, and ends with the result told truthfully, the
// disc ejected or the computer switched off only after success.
#pragma once

#include "wizard_page.h"

#include <QTimer>
#include <functional>
#include <memory>

namespace Ui {
class TForm5;
}

namespace zelvane::app {

class DriveBackend;

class TForm5 : public WizardPage {
    Q_OBJECT

public:
    TForm5(TForm1 &shell, QWidget *pageArea);
    ~TForm5() override;

    // Starts the task's operation once the shell has made this the current
    // page (a start that fails at once reports to this page).
    void FormShow() override;

    void Erase(bool Quick);
    void BurnDisc();
    void BurnISO();
    void SaveISO();

    // Completion events, forwarded by the shell on the interface thread.
    void EraseDone();
    void BurnDone();
    void Finalizing();

    // Ends the page's work: timers stopped, Done shown, the tray unlocked;
    // after success the disc is ejected and the computer switched off as
    // the check boxes ask. Runs once; later calls do nothing.
    void Finish(bool Success);
    // Stop and closing: the running write is asked to end; the page
    // finishes when the write's done event arrives.
    void Stop();
    bool Finished() const { return finished_; }

    int ElapsedSeconds = 0;
    QTimer CountTimer;   // elapsed-time clock, 1 s
    QTimer GeneralTimer; // progress refresh, 500 ms
    Ui::TForm5 &Form() { return *ui_; }

private:
    void StartTask();
    void CountTimerTimer();
    void GeneralTimerTimer();
    void StartTimers();
    void StopTimers();
    void ResetWriteDisplay();
    void ShowWriteTotal();
    // Megabytes, bar and percentage of the bytes written; answers them.
    int64_t ShowBytesWritten();
    void ShowWriteComplete();
    void ShowBurnPanel();
    void ShowDriveBuffer();
    // Locks the tray and starts the write; timers and Stop follow a start
    // that succeeded, a failed one finishes the page.
    void StartWrite(const std::function<bool()> &start);
    void SetTitle(const QString &title);
    // A start answered false: its done event has finished the page, or does so now.
    void StartFailed();
    void ContinueAfterErase();
    bool DiscIsBlankNow();

    DriveBackend &burner_;
    std::unique_ptr<Ui::TForm5> ui_;
    bool finished_ = false;
};

} // namespace zelvane::app
