#include "burn_options.h"

#include "drive_backend.h"
#include "global.h"
#include "image_button.h"
#include "interaction.h"
#include "main.h"
#include "sxDrvLib/MediaCode.h"
#include "sxISOLib/DateTime.h"
#include "sxTasks/DiscRules.h"
#include "sxTasks/TaskTexts.h"
#include "ui_burn_options.h"

#include <QDate>

namespace zelvane::app {

namespace {

constexpr int kReadyTimeoutSeconds = 5;
constexpr int32_t kDefaultCacheSize = 33554432;
constexpr int32_t kCacheStep = 2097152;
const QString kCannotBurn = QStringLiteral("Запись невозможна");

QString fromUtf8(const std::string &text)
{
    return QString::fromStdString(text);
}

tasks::BurnTask burnTaskOf(uint8_t task)
{
    switch (task) {
    case Task::ContinueDisc: return tasks::BurnTask::ContinueDisc;
    case Task::BurnImage: return tasks::BurnTask::BurnImage;
    default: return tasks::BurnTask::NewDisc;
    }
}

} // namespace

TForm4::TForm4(TForm1 &shell, QWidget *pageArea) : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm4>())
{
    ui_->setupUi(this);
    switch (Wizard().TaskKind) {
    case Task::NewDisc: SetHelpContext(12); break;
    case Task::ContinueDisc: SetHelpContext(22); break;
    case Task::MakeImage: SetHelpContext(42); break;
    case Task::BurnImage: SetHelpContext(51); break;
    default: SetHelpContext(2); break;
    }
    connect(ui_->ComboBox1, &QComboBox::activated, this, &TForm4::ComboBox1Change);
    connect(ui_->CheckBox1, &QCheckBox::toggled, this, &TForm4::CheckBox1Click);
    connect(ui_->CheckBox2, &QCheckBox::toggled, this, &TForm4::CheckBox2Click);
    connect(ui_->TrackBar1, &QSlider::valueChanged, this, &TForm4::TrackBar1Change);
    connect(ui_->CheckBox5, &QCheckBox::clicked, this, &TForm4::CheckBox5Click);
    FormCreate();
}

TForm4::~TForm4()
{
    if (Wizard().TaskKind != Task::BurnImage)
        shell_.sarnixb().SetIdentifiers(ui_->Edit2->text().toStdString(), ui_->Edit3->text().toStdString(),
                                        ui_->Edit4->text().toStdString(), ui_->Edit5->text().toStdString());
}

void TForm4::FormCreate()
{
    WizardState &state = Wizard();
    DriveBackend &burner = shell_.sarnixb();
    shell_.PngSpeedButton2()->setEnabled(true);
    DefaultSettings();

    const int mediaCode = burner.MediaCode();
    ui_->ComboBox1->addItems(WriteSpeedTexts(burner, mediaCode, false));
    ui_->ComboBox1->setCurrentIndex(ui_->ComboBox1->count() > 0 ? 0 : -1);
    state.WriteSpeedText = ui_->ComboBox1->currentText();

    switch (state.TaskKind) {
    case Task::ContinueDisc:
        ui_->CheckBox1->setChecked(false);
        ui_->CheckBox1->setEnabled(false);
        for (QWidget *field : {static_cast<QWidget *>(ui_->Edit3), static_cast<QWidget *>(ui_->Edit4),
                               static_cast<QWidget *>(ui_->Edit5), static_cast<QWidget *>(ui_->CheckBox5),
                               static_cast<QWidget *>(ui_->Edit1)})
            field->setEnabled(false);
        ShowContinuedDiscIdentifiers();
        break;
    case Task::MakeImage:
        for (QWidget *control : {static_cast<QWidget *>(ui_->Label4), static_cast<QWidget *>(ui_->ComboBox1),
                                 static_cast<QWidget *>(ui_->CheckBox1), static_cast<QWidget *>(ui_->CheckBox2),
                                 static_cast<QWidget *>(ui_->Label5), static_cast<QWidget *>(ui_->Label12),
                                 static_cast<QWidget *>(ui_->TrackBar1)})
            control->setEnabled(false);
        break;
    case Task::BurnImage: {
        ui_->Label3->setText(QStringLiteral("Шаг 1 из 2"));
        ui_->CheckBox1->setEnabled(false);
        // An image goes to the start of the disc: a rewritable disc that
        // holds data is erased first (a write-once one is refused on Next).
        const tasks::DiscFacts disc = ReadDisc();
        if (tasks::ImageNeedsErase(disc)) {
            ui_->CheckBox1->setChecked(true);
            state.EraseBeforeBurn = true;
        }
        burner.SetFinalizeDisc(tasks::FinalizeByFreeSpace(SectorsToBurn(), disc, state.EraseBeforeBurn));
        ui_->CheckBox5->setEnabled(false);
        ui_->Edit1->setEnabled(false);
        for (QLabel *label : {ui_->Label6, ui_->Label7, ui_->Label8, ui_->Label9, ui_->Label10, ui_->Label11})
            label->setEnabled(false);
        for (QLineEdit *field : {ui_->Edit2, ui_->Edit3, ui_->Edit4, ui_->Edit5, ui_->Edit6, ui_->Edit7}) {
            field->clear();
            field->setEnabled(false);
        }
        break;
    }
    default:
        break;
    }
    if (state.EraseBeforeBurn) {
        ui_->CheckBox1->setChecked(true);
        ui_->CheckBox1->setEnabled(false);
    }
    if (burner.FinalizeDisc()) {
        ui_->CheckBox2->setChecked(true);
        ui_->CheckBox2->setEnabled(false);
    }
}

void TForm4::DefaultSettings()
{
    DriveBackend &burner = shell_.sarnixb();
    burner.SetPerformOPC(true);
    burner.SetCacheSize(kDefaultCacheSize);
    burner.SetJolietFileSystem(true);
    burner.SetBootImage(false, {});
    ui_->Edit2->setText(fromUtf8(burner.IdVolume()));
    const QDate today = QDate::currentDate();
    burner.SetDateCreation(static_cast<double>(QDate(1899, 12, 30).daysTo(today)));
    ui_->Edit6->setText(WizardLocale().toString(today, QLocale::ShortFormat));
    const QString application = QStringLiteral("Zelvane");
    burner.SetIdApplication(application.toStdString());
    ui_->Edit7->setText(application);
}

void TForm4::ShowContinuedDiscIdentifiers()
{
    const auto ids = ReadDiscIdentifiers(shell_.sarnixb());
    if (!ids)
        return;
    ui_->Edit3->setText(fromUtf8(ids->preparer));
    ui_->Edit4->setText(fromUtf8(ids->publisher));
    ui_->Edit5->setText(fromUtf8(ids->copyright));
    ui_->Edit6->setText(fromUtf8(ids->created));
    ui_->Edit7->setText(fromUtf8(ids->application));
}

void TForm4::ComboBox1Change()
{
    SetWriteSpeedFromText(shell_.sarnixb(), ui_->ComboBox1->currentText());
    Wizard().WriteSpeedText = ui_->ComboBox1->currentText();
}

void TForm4::CheckBox1Click()
{
    Wizard().EraseBeforeBurn = ui_->CheckBox1->isChecked();
}

void TForm4::CheckBox2Click()
{
    shell_.sarnixb().SetFinalizeDisc(ui_->CheckBox2->isChecked());
}

void TForm4::TrackBar1Change()
{
    const int position = ui_->TrackBar1->value();
    ui_->Label12->setText(QString::number(position * 2 + 2) + QStringLiteral(" Мб"));
    shell_.sarnixb().SetCacheSize((position + 1) * kCacheStep);
}

void TForm4::CheckBox5Click()
{
    DriveBackend &burner = shell_.sarnixb();
    if (ui_->CheckBox5->isChecked()) {
        const auto chosen = ChooseOpenFile(this, OpenFileRequest{QStringLiteral("Укажите загрузочный образ"),
                                                                 QStringLiteral("Образы дискет (*.img)")});
        if (chosen) {
            burner.SetBootImage(true, chosen->toStdString());
            ui_->Edit1->setText(*chosen);
        } else {
            ui_->CheckBox5->setChecked(false);
        }
        return;
    }
    burner.SetBootImage(false, {});
    ui_->Edit1->clear();
}

tasks::DiscFacts TForm4::ReadDisc()
{
    DriveBackend &burner = shell_.sarnixb();
    tasks::DiscFacts disc;
    disc.mediaCode = burner.MediaCode();
    disc.mediaName = MediaName(disc.mediaCode);
    disc.discStatus = burner.DiscStatus();
    disc.capacity = burner.Capacity();
    disc.used = burner.Used();
    return disc;
}

int64_t TForm4::SectorsToBurn() const
{
    if (Wizard().TaskKind == Task::BurnImage)
        return tasks::ImageSectors(static_cast<int64_t>(FileSizeOf(Wizard().IsoPath)));
    return shell_.sarnixb().SectorsToWrite();
}

void TForm4::Refuse(const QString &text, const QString &caption)
{
    ShowMessage(this, MessageRequest{QMessageBox::Warning, text, caption, QMessageBox::Ok});
}

bool TForm4::CheckBurn()
{
    WizardState &state = Wizard();
    DriveBackend &burner = shell_.sarnixb();
    if (!burner.TestUnitReady(kReadyTimeoutSeconds)) {
        Refuse(QString::fromUtf8(tasks::texts::kNotReady), QStringLiteral("Запись не возможна"));
        return false;
    }
    const tasks::BurnTask task = burnTaskOf(state.TaskKind);
    const tasks::DiscFacts disc = ReadDisc();
    auto refusal = tasks::RefuseMedium(task, disc);
    if (!refusal && task == tasks::BurnTask::BurnImage)
        refusal = tasks::RefuseImageTarget(disc);
    if (refusal) {
        if (refusal->eject)
            burner.Eject();
        Refuse(fromUtf8(refusal->text), kCannotBurn);
        return false;
    }
    switch (tasks::CheckSpace(task, SectorsToBurn(), disc, state.EraseBeforeBurn)) {
    case tasks::SpaceVerdict::Fits:
        return true;
    case tasks::SpaceVerdict::NeedsErase:
        if (!AskYesNo(this, QString::fromUtf8(tasks::texts::kEraseQuestion), QStringLiteral("Подтверждение очистки")))
            return false;
        state.EraseBeforeBurn = true;
        return true;
    case tasks::SpaceVerdict::TooLarge:
        break;
    }
    Refuse(QString::fromUtf8(tasks::texts::kProjectTooLarge), kCannotBurn);
    return false;
}

} // namespace zelvane::app
