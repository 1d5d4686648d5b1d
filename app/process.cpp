#include "process.h"

#include "drive_backend.h"
#include "global.h"
#include "image_button.h"
#include "interaction.h"
#include "main.h"
#include "sxDrvLib/MediaCode.h"
#include "sxTasks/DiscRules.h"
#include "ui_process.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelvane::app {

namespace {

constexpr int kReadyTimeoutSeconds = 5;
constexpr int kAfterErasePauseMs = 500;
constexpr uint8_t kFullErase = 0;
constexpr uint8_t kQuickErase = 1;
const QString kWriteTitle = QStringLiteral("Запись");

// Percent of a bar's position, to the nearest integer (ties to even).
QString percentText(const QProgressBar &bar)
{
    if (bar.maximum() <= 0)
        return QStringLiteral("0%");
    const double percent = std::nearbyint(static_cast<double>(bar.value()) * 100.0 / bar.maximum());
    return QString::number(static_cast<int>(percent)) + QLatin1Char('%');
}

int clampToInt(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

TForm5::TForm5(TForm1 &shell, QWidget *pageArea)
    : WizardPage(shell, pageArea), burner_(shell.sarnixb()), ui_(std::make_unique<Ui::TForm5>())
{
    ui_->setupUi(this);
    static constexpr int kTopics[] = {13, 23, 32, 43, 52};
    const uint8_t task = Wizard().TaskKind;
    SetHelpContext(task < std::size(kTopics) ? kTopics[task] : 2);
    CountTimer.setInterval(1000);
    GeneralTimer.setInterval(500);
    connect(&CountTimer, &QTimer::timeout, this, &TForm5::CountTimerTimer);
    connect(&GeneralTimer, &QTimer::timeout, this, &TForm5::GeneralTimerTimer);

    shell_.PngSpeedButton1()->hide();
    shell_.PngSpeedButton5()->hide();
    shell_.ShowStopButton(false);
    shell_.PngSpeedButton2()->setEnabled(false);
}

TForm5::~TForm5() = default;

void TForm5::FormShow()
{
    // After the page switch has returned, so that the page is painted while
    // the start runs.
    QTimer::singleShot(0, this, &TForm5::StartTask);
}

void TForm5::StartTask()
{
    const WizardState &state = Wizard();
    switch (state.TaskKind) {
    case Task::NewDisc:
        if (state.EraseBeforeBurn)
            Erase(true);
        else
            BurnDisc();
        break;
    case Task::ContinueDisc:
        BurnDisc();
        break;
    case Task::EraseDisc:
        ui_->Label3->setText(QStringLiteral("Шаг 2 из 2"));
        Erase(state.QuickErase);
        break;
    case Task::MakeImage:
        SaveISO();
        break;
    case Task::BurnImage:
        ui_->Label3->setText(QStringLiteral("Шаг 2 из 2"));
        if (state.EraseBeforeBurn)
            Erase(true);
        else
            BurnISO();
        break;
    default:
        Finish(false);
        break;
    }
}

void TForm5::Erase(bool Quick)
{
    WizardState &state = Wizard();
    state.EraseFailed = false;
    ui_->ProgressBar1->setValue(0);
    ui_->Label5->setText(QStringLiteral("0%"));
    ui_->Label9->setText(QStringLiteral("00:00:00"));
    ui_->ErasePanel->show();
    ui_->Label4->setText(Quick ? QStringLiteral("Быстрая очистка диска")
                               : QStringLiteral("Полная очистка диска на ") + state.EraseSpeedText);
    QCoreApplication::processEvents();
    // The tray is locked before the erase thread runs: one thread at a time
    // sends commands to the drive.
    burner_.AllowMediumRemoval(false);
    if (!burner_.Erase(Quick ? kQuickErase : kFullErase)) {
        StartFailed();
        return;
    }
    StartTimers();
    shell_.ShowStopButton(false); // an erase cannot be stopped
}

void TForm5::ResetWriteDisplay()
{
    ui_->Label8->setText(QStringLiteral("0%"));
    ui_->Label11->setText(QStringLiteral("00:00:00"));
    ui_->Label13->setText(QStringLiteral("00:00:00"));
    ui_->Label14->setText(QStringLiteral("0,00/0,00 Мб"));
    ui_->ProgressBar2->setRange(0, 100);
    ui_->ProgressBar2->setValue(0);
    ui_->ProgressBar3->setValue(0);
    ui_->ProgressBar4->setValue(0);
}

void TForm5::ShowBurnPanel()
{
    // The write group sits below the erase group when both are shown.
    const QRect eraseArea = ui_->ErasePanel->geometry();
    const int top = ui_->ErasePanel->isVisible() ? eraseArea.bottom() + 9 : eraseArea.top();
    ui_->BurnPanel->move(ui_->BurnPanel->x(), top);
    ui_->BurnPanel->show();
}

void TForm5::ShowWriteTotal()
{
    // Taken once the start has laid the project out (or opened the image).
    const int64_t sectors = burner_.SectorsToWrite();
    Wizard().ProjectSizeText = MegabytesText(static_cast<double>(sectors) * 2048.0);
    ui_->ProgressBar2->setRange(0, clampToInt(sectors));
    ui_->ProgressBar2->setValue(0);
}

void TForm5::BurnDisc()
{
    const WizardState &state = Wizard();
    // Settings of this task, whatever an earlier task left on the burner.
    burner_.SetTestWrite(false);
    burner_.SetImportSessionNumber(state.TaskKind == Task::ContinueDisc ? -1 : 0);
    ui_->Label6->setText(QStringLiteral("Запись на ") + state.WriteSpeedText);
    ResetWriteDisplay();
    ShowDriveBuffer();
    StartWrite([this] { return burner_.BurnProject(); });
}

void TForm5::BurnISO()
{
    burner_.SetTestWrite(false);
    ui_->Label6->setText(QStringLiteral("Запись образа на диск"));
    ResetWriteDisplay();
    ShowDriveBuffer();
    StartWrite([this] { return burner_.BurnImageFile(Wizard().IsoPath.toStdString()); });
}

void TForm5::SaveISO()
{
    ui_->CheckBox1->setEnabled(false); // there is no disc to eject
    ui_->Label6->setText(QStringLiteral("Подготовка ISO-образа"));
    ResetWriteDisplay();
    // No remaining time and no buffers for an image file.
    for (QWidget *hidden : {static_cast<QWidget *>(ui_->Label12), static_cast<QWidget *>(ui_->Label13),
                            static_cast<QWidget *>(ui_->Label15), static_cast<QWidget *>(ui_->Label16),
                            static_cast<QWidget *>(ui_->ProgressBar3), static_cast<QWidget *>(ui_->ProgressBar4)})
        hidden->hide();
    StartWrite([this] { return burner_.SaveImageFile(Wizard().IsoPath.toStdString()); });
}

void TForm5::ShowDriveBuffer()
{
    burner_.ReadBufferCapacity();
    ui_->ProgressBar4->setRange(0, clampToInt(burner_.DeviceBufferSize()));
}

void TForm5::StartWrite(const std::function<bool()> &start)
{
    ShowBurnPanel();
    QCoreApplication::processEvents();
    // The tray is locked before the writing thread runs: one thread at a
    // time sends commands to the drive.
    burner_.AllowMediumRemoval(false);
    if (!start()) {
        StartFailed();
        return;
    }
    ShowWriteTotal();
    StartTimers();
    shell_.ShowStopButton(true);
}

void TForm5::StartFailed()
{
    if (!finished_)
        Finish(false);
}

void TForm5::StartTimers()
{
    GeneralTimer.start();
    ElapsedSeconds = 0;
    CountTimer.start();
}

void TForm5::StopTimers()
{
    GeneralTimer.stop();
    CountTimer.stop();
}

void TForm5::SetTitle(const QString &title)
{
    shell_.setWindowTitle(title);
}

void TForm5::CountTimerTimer()
{
    ++ElapsedSeconds;
    (burner_.Erasing() ? ui_->Label9 : ui_->Label11)->setText(ClockText(ElapsedSeconds));
}

void TForm5::GeneralTimerTimer()
{
    if (burner_.Erasing()) {
        ui_->ProgressBar1->setValue(std::clamp(burner_.EraseProgress(), 0, 100));
        ui_->Label5->setText(percentText(*ui_->ProgressBar1));
        SetTitle(ui_->Label5->text() + QStringLiteral(" - ") + ui_->Label4->text());
        return;
    }
    const int64_t written = ShowBytesWritten();
    if (ui_->Label6->text() != kWriteTitle)
        SetTitle(ui_->Label8->text() + QStringLiteral(" - ") + ui_->Label6->text());
    if (Wizard().TaskKind == Task::MakeImage)
        return;
    if (const int speed = burner_.WriteSpeed(); speed > 0) {
        const double kilobytesLeft = 2.0 * static_cast<double>(burner_.SectorsToWrite()) - written / 1024.0;
        ui_->Label13->setText(ClockText(std::llround(kilobytesLeft / speed)));
    }
    ui_->ProgressBar3->setValue(std::clamp(burner_.CacheFillPercent(), 0, 100));
    const uint32_t size = burner_.DeviceBufferSize();
    const uint32_t free = burner_.DeviceFreeBufferSize();
    if (free <= size)
        ui_->ProgressBar4->setValue(std::min(clampToInt(size - free), ui_->ProgressBar4->maximum()));
}

int64_t TForm5::ShowBytesWritten()
{
    const int64_t written = burner_.BytesWritten();
    ui_->Label14->setText(MegabytesText(static_cast<double>(written)) + QLatin1Char('/') +
                          Wizard().ProjectSizeText + QStringLiteral(" Мб"));
    ui_->ProgressBar2->setValue(std::min(clampToInt(written / 2048), ui_->ProgressBar2->maximum()));
    ui_->Label8->setText(percentText(*ui_->ProgressBar2));
    return written;
}

void TForm5::ShowWriteComplete()
{
    const QString total = MegabytesText(static_cast<double>(burner_.SectorsToWrite()) * 2048.0);
    ui_->Label14->setText(total + QLatin1Char('/') + total + QStringLiteral(" Мб"));
    ui_->Label8->setText(QStringLiteral("100%"));
    ui_->ProgressBar2->setValue(ui_->ProgressBar2->maximum());
    ui_->ProgressBar3->setValue(0);
    ui_->ProgressBar4->setValue(0);
    ui_->Label13->setText(QStringLiteral("00:00:00"));
}

void TForm5::Finalizing()
{
    if (finished_)
        return;
    GeneralTimer.stop(); // the elapsed clock keeps running
    ui_->Label6->setText(QStringLiteral("Завершение сессии..."));
    shell_.ShowStopButton(false); // closing cannot be interrupted
    SetTitle(QStringLiteral("100% - Завершение сессии"));
    ShowWriteComplete();
}

void TForm5::BurnDone()
{
    if (finished_)
        return;
    StopTimers();
    const QString error = Wizard().WriteError;
    if (!error.isEmpty()) {
        // The finalising notice showed everything written; a failed write
        // shows what went to the disc before it failed, and nothing more runs.
        ShowBytesWritten();
        ui_->ProgressBar3->setValue(0);
        ui_->ProgressBar4->setValue(0);
        ui_->Label13->setText(QStringLiteral("00:00:00"));
        ui_->Label6->setText(QStringLiteral("Запись завершена с ошибкой"));
        ShowMessage(this, MessageRequest{QMessageBox::Critical, QStringLiteral("Запись завершена с ошибкой: ") + error,
                                         QStringLiteral("Ошибка записи"), QMessageBox::Ok});
        Finish(false);
        return;
    }
    ui_->Label6->setText(QStringLiteral("Запись успешно завершена"));
    Wizard().ProjectSizeText = MegabytesText(static_cast<double>(burner_.SectorsToWrite()) * 2048.0);
    ShowWriteComplete();
    Finish(true);
}

bool TForm5::DiscIsBlankNow()
{
    burner_.TestUnitReady(kReadyTimeoutSeconds);
    tasks::DiscFacts disc;
    disc.mediaCode = burner_.MediaCode();
    disc.discStatus = burner_.DiscStatus();
    disc.used = burner_.Used();
    return tasks::DiscIsBlank(disc);
}

void TForm5::EraseDone()
{
    if (finished_)
        return;
    StopTimers();
    WizardState &state = Wizard();
    // The erase thread reports the end of its waits; whether the disc was
    // blanked is what the drive tells now.
    if (!state.EraseFailed && !DiscIsBlankNow())
        state.EraseFailed = true;
    if (state.EraseFailed) {
        ui_->Label4->setText(QStringLiteral("Очистка завершена с ошибкой"));
        Finish(false);
        return;
    }
    ui_->ProgressBar1->setValue(ui_->ProgressBar1->maximum());
    ui_->Label5->setText(QStringLiteral("100%"));
    SetTitle(ui_->Label5->text() + QStringLiteral(" - ") + ui_->Label4->text());
    // A short pause on the full bar; the window stays responsive meanwhile.
    QTimer::singleShot(kAfterErasePauseMs, this, &TForm5::ContinueAfterErase);
}

void TForm5::ContinueAfterErase()
{
    ui_->Label4->setText(QStringLiteral("Очистка успешно завершена"));
    const WizardState &state = Wizard();
    if (state.EraseBeforeBurn && state.TaskKind == Task::NewDisc)
        BurnDisc();
    else if (state.EraseBeforeBurn && state.TaskKind == Task::BurnImage)
        BurnISO();
    else
        Finish(true);
}

void TForm5::Stop()
{
    if (finished_)
        return;
    burner_.CancelWrite();
    shell_.ShowStopButton(false); // the write ends; its done event finishes the page
}

void TForm5::Finish(bool Success)
{
    if (finished_)
        return;
    finished_ = true;
    StopTimers();
    SetTitle(MainCaption);
    shell_.PngSpeedButton2()->setEnabled(true);
    shell_.PngSpeedButton1()->hide();
    shell_.PngSpeedButton4()->hide();
    shell_.PngSpeedButton5()->show();
    QCoreApplication::processEvents();
    burner_.CancelWrite();
    burner_.AllowMediumRemoval(true);
    if (Success) {
        if (ui_->CheckBox1->isEnabled() && ui_->CheckBox1->isChecked())
            burner_.Eject();
        if (ui_->CheckBox2->isChecked())
            ShutdownComputer();
    }
    ui_->CheckBox1->setEnabled(false);
    ui_->CheckBox2->setEnabled(false);
}

} // namespace zelvane::app
