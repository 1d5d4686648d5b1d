#include "main.h"

#include "add_files.h"
#include "artwork.h"
#include "burn_options.h"
#include "choose_task.h"
#include "erase_options.h"
#include "global.h"
#include "help_viewer.h"
#include "image_button.h"
#include "info.h"
#include "interaction.h"
#include "process.h"
#include "sxDrvLib/CapabilitySet.h"
#include "sessions.h"
#include "interface_dispatcher.h"
#include "ui_main.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace zelvane::app {

namespace {

const QString kCancelCaption = QStringLiteral("Подтверждение отмены");
const QString kAbortOperationQuestion = QStringLiteral("Вы действительно хотите прервать текущую операцию?");
const QString kAbortExtractionQuestion =
    QStringLiteral("В данный момент выполняется извлечение ветки.\rВы уверены, что хотите прервать его?");
const QString kCannotStopQuestion =
    QStringLiteral("Корректное завершение программы в данный момент невозможно.\rВсе равно завершить?");

// Repainting of the window is suspended while this lives.
class UpdatesLock {
public:
    explicit UpdatesLock(QWidget &window) : window_(window) { window_.setUpdatesEnabled(false); }
    ~UpdatesLock() { window_.setUpdatesEnabled(true); }
    UpdatesLock(const UpdatesLock &) = delete;
    UpdatesLock &operator=(const UpdatesLock &) = delete;

private:
    QWidget &window_;
};

} // namespace

TForm1::TForm1(std::unique_ptr<DriveBackend> burner, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TForm1>()), sarnixb_(std::move(burner))
{
    ui_->setupUi(this);
    setFixedSize(500, 400);
    QFont tahoma;
    tahoma.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    tahoma.setPixelSize(11);
    setFont(tahoma);
    setWindowIcon(PictureIcon(Picture::Application));
    ui_->PngSpeedButton1->setGlyph(PictureIcon(Picture::Next));
    ui_->PngSpeedButton2->setGlyph(PictureIcon(Picture::StartOver));
    ui_->PngSpeedButton3->setGlyph(PictureIcon(Picture::Help));
    ui_->PngSpeedButton4->setGlyph(PictureIcon(Picture::Stop));
    ui_->PngSpeedButton5->setGlyph(PictureIcon(Picture::Done));
    connect(ui_->PngSpeedButton1, &QAbstractButton::clicked, this, &TForm1::PngSpeedButton1Click);
    connect(ui_->PngSpeedButton2, &QAbstractButton::clicked, this, &TForm1::PngSpeedButton2Click);
    connect(ui_->PngSpeedButton3, &QAbstractButton::clicked, this, &TForm1::PngSpeedButton3Click);
    connect(ui_->PngSpeedButton4, &QAbstractButton::clicked, this, &TForm1::PngSpeedButton4Click);
    connect(ui_->PngSpeedButton5, &QAbstractButton::clicked, this, &TForm1::PngSpeedButton5Click);

    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    sarnixb_->SetDispatcher(MakeInterfaceDispatcher(this));
    sarnixb_->SetCompletionHandlers(CompletionHandlers{
        [this](bool withError) { sarnixbEraseDone(withError); },
        [this](const std::string &error) { sarnixbWriteDone(QString::fromStdString(error)); },
        [this] { sarnixbFinalizingTrack(); },
    });
    FormCreate();
}

TForm1::~TForm1()
{
    DestroyCurrentPage();
    // The burner's worker threads end while this window still exists to
    // take the events they queue; those events go unrun with the window.
    sarnixb_->EndOperations();
}

zelvane::ui::ImageButton *TForm1::PngSpeedButton1() const { return ui_->PngSpeedButton1; }
zelvane::ui::ImageButton *TForm1::PngSpeedButton2() const { return ui_->PngSpeedButton2; }
zelvane::ui::ImageButton *TForm1::PngSpeedButton3() const { return ui_->PngSpeedButton3; }
zelvane::ui::ImageButton *TForm1::PngSpeedButton4() const { return ui_->PngSpeedButton4; }
zelvane::ui::ImageButton *TForm1::PngSpeedButton5() const { return ui_->PngSpeedButton5; }

void TForm1::FormCreate()
{
    ResetWizardState();
    WizardState &state = Wizard();
    sarnixb_->InitializeTransport(true, {});
    if (!sarnixb_->ASPIInitialized()) {
        ShowMessage(this, MessageRequest{QMessageBox::Critical, QStringLiteral("ASPI initialization error"),
                                         QStringLiteral("ASPI ERROR"), QMessageBox::Ok});
        EndProcessNow(1);
        return;
    }

    const std::vector<std::string> devices = sarnixb_->DeviceList();
    if (!devices.empty()) {
        state.SelectedDrive = -1;
        for (size_t i = 0; i < devices.size(); ++i) {
            state.DriveNames.append(DriveDisplayName(devices[i]));
            if (DriveCheck(static_cast<int>(i)))
                state.SelectedDrive = static_cast<int>(i);
        }
        if (state.SelectedDrive == -1)
            state.SelectedDrive = static_cast<int>(devices.size()) - 1;
        SelectDrive(state.SelectedDrive);
    }

    sarnixb_->SetCloseAfterCommand(true);
    if (!devices.empty())
        sarnixb_->SetSlowReady(true);
    state.TaskKind = Task::NewDisc;
    state.BrowsePath = QStringLiteral("/");
    started_ = true;
}

void TForm1::SelectDrive(int index)
{
    Wizard().SelectedDrive = index;
    sarnixb_->SelectDevice(index);
    sarnixb_->SetUnderrunProtection((sarnixb_->Capabilities() & zelvane::kUnderrunProtection) != 0);
}

bool TForm1::DriveCheck(int index)
{
    sarnixb_->SelectDevice(index);
    return zelvane::IsWriter(sarnixb_->Capabilities());
}

void TForm1::ShowStopButton(bool enabled)
{
    ui_->PngSpeedButton1->hide();
    ui_->PngSpeedButton5->hide();
    ui_->PngSpeedButton4->show();
    ui_->PngSpeedButton4->setEnabled(enabled);
}

void TForm1::Activate()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

QString TForm1::CurrentCaption() const
{
    return currentPage_ ? currentPage_->windowTitle() : QString();
}

void TForm1::DestroyCurrentPage()
{
    Wizard().CurrentPage = nullptr;
    currentPage_.reset();
}

template <typename Page> void TForm1::ShowNewPage()
{
    DestroyCurrentPage();
    currentPage_ = std::make_unique<Page>(*this, ui_->PageArea);
    Wizard().CurrentPage = currentPage_.get();
    currentPage_->show();
    currentPage_->FormShow();
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!firstShowDone_ && started_) {
        firstShowDone_ = true;
        PngSpeedButton1Click();
    }
}

void TForm1::ShowPageForTask()
{
    switch (Wizard().TaskKind) {
    case Task::NewDisc:
    case Task::ContinueDisc:
    case Task::MakeImage:
        ShowNewPage<TForm3>();
        return;
    case Task::EraseDisc:
        ShowNewPage<TForm7>();
        return;
    case Task::BurnImage:
        if (ChooseIsoImage(this))
            ShowNewPage<TForm4>();
        else
            ShowNewPage<TForm2>();
        return;
    case Task::DiscInfo:
        ShowNewPage<TForm6>();
        return;
    default:
        ShowNewPage<TForm2>();
        return;
    }
}

void TForm1::NextFromCurrentPage()
{
    const QString caption = CurrentCaption();
    if (!currentPage_) {
        ShowNewPage<TForm2>();
    } else if (caption == PageCaption::ChooseTask) {
        DestroyCurrentPage();
        ShowPageForTask();
    } else if (caption == PageCaption::AddFiles) {
        auto *page = static_cast<TForm3 *>(currentPage_.get());
        const bool ready = Wizard().TaskKind == Task::MakeImage ? page->GetIsoFile() : page->AddFiles();
        if (!ready)
            return;
        sarnixb_->SetIdVolume(page->ProjectName().toStdString());
        page->Timer1->stop();
        ShowNewPage<TForm4>();
    } else if (caption == PageCaption::BurnOptions) {
        auto *page = static_cast<TForm4 *>(currentPage_.get());
        if (Wizard().TaskKind != Task::MakeImage && !page->CheckBurn())
            return;
        ShowNewPage<TForm5>();
    } else if (caption == PageCaption::EraseOptions) {
        if (!static_cast<TForm7 *>(currentPage_.get())->CheckErase())
            return;
        ShowNewPage<TForm5>();
    } else if (caption == PageCaption::Info) {
        ShowNewPage<TForm8>();
    } else {
        ShowNewPage<TForm2>();
    }
}

void TForm1::PngSpeedButton1Click()
{
    UpdatesLock lock(*this);
    NextFromCurrentPage();
}

void TForm1::PngSpeedButton2Click()
{
    {
        UpdatesLock lock(*this);
        ShowNewPage<TForm2>();
    }
    ui_->PngSpeedButton4->hide();
    ui_->PngSpeedButton5->hide();
    ui_->PngSpeedButton1->show();
    sarnixb_->ClearIdentifiers();
}

void TForm1::PngSpeedButton3Click()
{
    if (!helpViewer_)
        helpViewer_ = std::make_unique<HelpViewer>(this);
    if (!helpViewer_->ShowTopic(Wizard().HelpContext))
        ShowMessage(this, MessageRequest{QMessageBox::Information,
                                         QStringLiteral("Файл справки не найден в каталоге программы."),
                                         QStringLiteral("Справка не найдена"), QMessageBox::Ok});
}

void TForm1::PngSpeedButton4Click()
{
    const QString caption = CurrentCaption();
    if (caption == PageCaption::Process) {
        if (AskYesNo(this, kAbortOperationQuestion, kCancelCaption))
            static_cast<TForm5 *>(currentPage_.get())->Stop();
    } else if (caption == PageCaption::Sessions) {
        if (!AskYesNo(this, kAbortExtractionQuestion, kCancelCaption))
            return;
        Wizard().ExtractAbort = true;
        sarnixb_->CancelWrite();
        // The extraction unlocks the tray itself when it ends, on its own
        // thread, and then brings back Done and Start over.
        static_cast<TForm8 *>(currentPage_.get())->StopExtraction();
    }
}

void TForm1::PngSpeedButton5Click()
{
    sarnixb_->CancelWrite();
    sarnixb_->AllowMediumRemoval(true);
    close();
}

bool TForm1::FormCloseQuery()
{
    const QString caption = CurrentCaption();
    if (caption == PageCaption::Sessions && static_cast<TForm8 *>(currentPage_.get())->ExtractionRunning()) {
        if (AskYesNo(this, kAbortExtractionQuestion, kCancelCaption)) {
            // The file being copied is finished and the tray unlocked first.
            static_cast<TForm8 *>(currentPage_.get())->StopExtractionAndWait();
            EndProcessNow(0);
        }
        return false;
    }
    if (caption != PageCaption::Process)
        return true;
    QWidget *stop = ui_->PngSpeedButton4;
    if (stop->isHidden())
        return true;
    const QString &question = stop->isEnabled() ? kAbortOperationQuestion : kCannotStopQuestion;
    if (!AskYesNo(this, question, kCancelCaption))
        return false;
    // A write is asked to stop; the window's end waits for the worker
    // threads (an erase only stops being waited for).
    static_cast<TForm5 *>(currentPage_.get())->Stop();
    return true;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TForm1::sarnixbEraseDone(bool withError)
{
    Wizard().EraseFailed = withError;
    if (auto *page = qobject_cast<TForm5 *>(currentPage_.get()))
        page->EraseDone();
}

void TForm1::sarnixbWriteDone(const QString &error)
{
    Wizard().WriteError = error;
    if (auto *page = qobject_cast<TForm5 *>(currentPage_.get()))
        page->BurnDone();
}

void TForm1::sarnixbFinalizingTrack()
{
    if (auto *page = qobject_cast<TForm5 *>(currentPage_.get()))
        page->Finalizing();
}

} // namespace zelvane::app
