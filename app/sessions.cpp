#include "sessions.h"

#include "artwork.h"
#include "drive_backend.h"
#include "extraction_run.h"
#include "global.h"
#include "image_button.h"
#include "image_list.h"
#include "interaction.h"
#include "main.h"
#include "ui_sessions.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>

namespace zelvane::app {

namespace {

constexpr int kHelpTopic = 62;

// What each node of the tree carries besides its text and picture.
enum NodeRole {
    ImageRole = Qt::UserRole, // NodeImage
    SessionRole,              // number of the node's session
    DiscPathRole,             // "/docs/a.txt"; empty for a session node
    SizeRole,                 // bytes: the session's, or the entry's
    SourcePathRole,           // where the entry lies: drive + ":" + path
    ModifiedRole,             // the entry's date as text
};

const QString kFileLocation = QStringLiteral("Расположение файла:");
const QString kFileSize = QStringLiteral("Размер файла:");
const QString kModified = QStringLiteral("Время последнего изменения:");
const QString kErrorCaption = QStringLiteral("Ошибка");

// "1 234,56 Мб (1 294 536 704 байт)".
QString SizeText(qint64 bytes)
{
    const qint64 hundredths = std::llround(static_cast<double>(bytes) / 1048576.0 * 100.0);
    const QString fraction = QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    return FormatThousands(hundredths / 100) + QLatin1Char(',') + fraction + QStringLiteral(" Мб (") +
           FormatThousands(bytes) + QStringLiteral(" байт)");
}

// The folder dialog opens at the folder last chosen, else at home.
QString StartFolder()
{
    const QString last = Wizard().BrowsePath;
    if (last != QStringLiteral("/") && last != QStringLiteral("\\") && QFileInfo(last).isDir())
        return last;
    return QDir::homePath();
}

// The drive as the start of a location text: the display name up to its
// first blank (the device path or the virtual drive's name).
QString SelectedDriveName()
{
    const WizardState &state = Wizard();
    if (state.SelectedDrive < 0 || state.SelectedDrive >= state.DriveNames.size())
        return QString();
    return state.DriveNames[state.SelectedDrive].section(QLatin1Char(' '), 0, 0);
}

} // namespace

TForm8::TForm8(TForm1 &shell, QWidget *pageArea)
    : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm8>()), images_(std::make_unique<ui::ImageList>())
{
    ui_->setupUi(this);
    SetHelpContext(kHelpTopic);
    ui_->Label7->hide();
    for (Picture picture : {Picture::SessionClosed, Picture::SessionOpen, Picture::FolderClosed,
                            Picture::FolderOpen, Picture::File, Picture::MessageLine})
        images_->add(PictureIcon(picture));
    ui_->PngSpeedButton1->setGlyph(PictureIcon(Picture::Extract));
    // The selection stays as visible when the tree loses the focus.
    QPalette palette = ui_->TreeView1->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    ui_->TreeView1->setPalette(palette);

    connect(ui_->TreeView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *node) { TreeView1Change(node); });
    connect(ui_->TreeView1, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) { TreeView1Expanding(node); });
    connect(ui_->TreeView1, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem *node) { TreeView1Collapsing(node); });
    connect(ui_->PngSpeedButton1, &QAbstractButton::clicked, this, &TForm8::PngSpeedButton1Click);

    shell_.PngSpeedButton1()->hide();
    shell_.PngSpeedButton5()->show();
    shell_.PngSpeedButton2()->setEnabled(true);
}

TForm8::~TForm8()
{
    closing_ = true;
    run_.reset();
}

QLabel *TForm8::Label7() const { return ui_->Label7; }
bool TForm8::ExtractionRunning() const { return !ui_->Label7->isHidden(); }

int TForm8::ImageOf(const QTreeWidgetItem *node)
{
    return node ? node->data(0, ImageRole).toInt() : -1;
}

void TForm8::FormShow()
{
    DriveBackend &burner = shell_.sarnixb();
    ui_->PngSpeedButton1->setEnabled(false);
    ui_->TreeView1->clear();
    driveName_ = SelectedDriveName();

    std::vector<zelvane::DiscSession> sessions;
    switch (burner.ReadSessions(sessions)) {
    case zelvane::SessionsFound::Unreadable:
        AddNode(nullptr, QString::fromUtf8(zelvane::kSessionsUnreadable), MessageNode);
        return;
    case zelvane::SessionsFound::None:
        AddNode(nullptr, QString::fromUtf8(zelvane::kNoSessions), MessageNode);
        return;
    case zelvane::SessionsFound::Some:
        break;
    }
    for (const zelvane::DiscSession &session : sessions) {
        QTreeWidgetItem *node = AddNode(nullptr, QString::fromStdString(session.title), SessionCollapsed);
        node->setData(0, SessionRole, session.number);
        node->setData(0, SizeRole, static_cast<qlonglong>(session.track.size) * 2048);
        DisplayDir(node, burner.SessionContents(session.number), QString());
    }
    ui_->TreeView1->setCurrentItem(ui_->TreeView1->topLevelItem(0));
    ui_->PngSpeedButton1->setEnabled(true);
}

QTreeWidgetItem *TForm8::AddNode(QTreeWidgetItem *parent, const QString &text, NodeImage image)
{
    auto *node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(ui_->TreeView1);
    node->setText(0, text);
    SetImage(node, image);
    if (parent)
        node->setData(0, SessionRole, parent->data(0, SessionRole));
    return node;
}

void TForm8::SetImage(QTreeWidgetItem *node, NodeImage image)
{
    node->setData(0, ImageRole, image);
    node->setIcon(0, images_->icon(image));
}

void TForm8::DisplayDir(QTreeWidgetItem *node, const std::vector<zelvane::SessionItem> &items, const QString &path)
{
    for (const zelvane::SessionItem &item : items) {
        const QString name = QString::fromStdString(item.name);
        const QString itemPath = path + QLatin1Char('/') + name;
        QTreeWidgetItem *child = AddNode(node, name, item.folder ? FolderCollapsed : FileNode);
        child->setData(0, DiscPathRole, itemPath);
        child->setData(0, SizeRole, static_cast<qlonglong>(item.size));
        child->setData(0, SourcePathRole, driveName_ + QLatin1Char(':') + itemPath);
        child->setData(0, ModifiedRole, QString::fromStdString(zelvane::dateText(item.date)));
        if (item.folder)
            DisplayDir(child, item.children, itemPath);
    }
}

void TForm8::TreeView1Expanding(QTreeWidgetItem *node)
{
    if (ImageOf(node) == SessionCollapsed)
        SetImage(node, SessionExpanded);
    else if (ImageOf(node) == FolderCollapsed)
        SetImage(node, FolderExpanded);
}

void TForm8::TreeView1Collapsing(QTreeWidgetItem *node)
{
    if (ImageOf(node) == SessionExpanded)
        SetImage(node, SessionCollapsed);
    else if (ImageOf(node) == FolderExpanded)
        SetImage(node, FolderCollapsed);
}

void TForm8::TreeView1Change(QTreeWidgetItem *node)
{
    const int image = ImageOf(node);
    if (!node || image == MessageNode)
        return;
    const QString size = SizeText(node->data(0, SizeRole).toLongLong());
    auto show = [this](const QString &first, const QString &firstValue, const QString &second, bool secondOn,
                       const QString &secondValue, bool thirdOn, const QString &thirdValue) {
        ui_->Label4->setText(first);
        ui_->Edit1->setText(firstValue);
        ui_->Edit1->setCursorPosition(0);
        ui_->Edit1->setToolTip(firstValue);
        ui_->Label5->setText(second);
        ui_->Label5->setEnabled(secondOn);
        ui_->Edit2->setEnabled(secondOn);
        ui_->Edit2->setText(secondValue);
        ui_->Label6->setEnabled(thirdOn);
        ui_->Edit3->setEnabled(thirdOn);
        ui_->Edit3->setText(thirdValue);
    };
    if (image == FileNode) {
        show(kFileLocation, node->data(0, SourcePathRole).toString(), kFileSize, true, size, true,
             node->data(0, ModifiedRole).toString());
    } else if (image == FolderCollapsed || image == FolderExpanded) {
        show(QStringLiteral("Название каталога:"), node->text(0), QStringLiteral("Размер содержимого:"), false,
             QString(), false, QString());
    } else {
        show(QStringLiteral("Номер сессии:"), node->text(0).mid(8, 3), QStringLiteral("Размер сессии:"), true, size,
             false, QString());
    }
}

void TForm8::PngSpeedButton1Click()
{
    QTreeWidgetItem *node = ui_->TreeView1->currentItem();
    if (!node || ImageOf(node) == MessageNode || (run_ && run_->Running()))
        return;
    QString folder = StartFolder();
    if (!BrowseForFolder(this, QStringLiteral("Укажите каталог для сохранения"), QString(), folder))
        return;
    Wizard().BrowsePath = folder;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);

    QTreeWidgetItem *sessionNode = node;
    while (sessionNode->parent())
        sessionNode = sessionNode->parent();
    zelvane::ExtractionRequest request;
    request.session.number = node->data(0, SessionRole).toInt();
    request.session.title = sessionNode->text(0).toStdString();
    request.discPath = node->data(0, DiscPathRole).toString().toStdString();
    request.folder = folder.toStdString();

    Wizard().ExtractAbort = false;
    ui_->Label7->show();
    ui_->PngSpeedButton1->setEnabled(false);
    shell_.PngSpeedButton2()->setEnabled(false);
    shell_.ShowStopButton(true);

    ExtractionRun::Questions questions;
    questions.replace = [this](const QString &name) {
        return AskYesNo(this,
                        QStringLiteral("В данной ветке уже присутствует элемент \"%1\".\rЗаменить его?").arg(name),
                        QStringLiteral("Замена элемента"));
    };
    questions.folderFailed = [this](const QString &) {
        ShowMessage(this, MessageRequest{QMessageBox::Warning,
                                         QStringLiteral("Ошибка при создании каталога.\rВозможно диск защищен от записи."),
                                         kErrorCaption, QMessageBox::Ok});
    };
    run_.reset();
    run_ = std::make_unique<ExtractionRun>(shell_.sarnixb(), std::move(request), this, std::move(questions),
                                           [this](const zelvane::ExtractionOutcome &outcome) { ExtractionEnded(outcome); });
}

void TForm8::StopExtraction()
{
    Wizard().ExtractAbort = true;
    if (run_ && run_->Running()) {
        // The file being copied is finished first; the end puts the page at rest.
        run_->Stop();
        shell_.PngSpeedButton4()->setEnabled(false);
        return;
    }
    ExtractionEnded(zelvane::ExtractionOutcome{zelvane::ExtractionEnd::Stopped, {}});
}

void TForm8::StopExtractionAndWait()
{
    closing_ = true;
    Wizard().ExtractAbort = true;
    if (run_)
        run_->StopAndWait();
}

void TForm8::ExtractionEnded(const zelvane::ExtractionOutcome &outcome)
{
    shell_.PngSpeedButton2()->setEnabled(true);
    shell_.PngSpeedButton1()->hide();
    shell_.PngSpeedButton4()->hide();
    shell_.PngSpeedButton4()->setEnabled(true);
    shell_.PngSpeedButton5()->show();
    ui_->Label7->hide();
    ui_->PngSpeedButton1->setEnabled(true);
    if (!closing_)
        ReportOutcome(outcome);
}

void TForm8::ReportOutcome(const zelvane::ExtractionOutcome &outcome)
{
    QString text;
    if (outcome.end == zelvane::ExtractionEnd::SessionUnread || outcome.end == zelvane::ExtractionEnd::NotFound) {
        text = QStringLiteral("Ошибка при чтении сессии.\rВозможно диск был извлечен или заменен.");
    } else if (const int failedFiles = outcome.count.failures - outcome.count.failedFolders; failedFiles > 0) {
        text = QStringLiteral("Не удалось извлечь файлов: %1.\rВозможно диск поврежден или на диске недостаточно места.")
                   .arg(failedFiles);
    }
    if (!text.isEmpty())
        ShowMessage(this, MessageRequest{QMessageBox::Warning, text, kErrorCaption, QMessageBox::Ok});
}

} // namespace zelvane::app
