// TForm6, "Info": the drive's read and write abilities, the inserted medium
// and the identifiers of the disc's ISO 9660 volume.
#pragma once

#include "wizard_page.h"

#include <array>
#include <cstdint>
#include <memory>

class QLabel;

namespace Ui {
class TForm6;
}

namespace zelvane::app {

class TForm6;
}

namespace zelvane::app {

// Texts of a primary volume descriptor, trailing blanks removed.
struct VolumeDescriptorTexts {
    QString volumeId;
    QString preparer;
    QString publisher;
    QString copyrightFile;
    QString creationDate; // "dd.mm.yyyy", empty when the field is unset
    QString application;
};

// Decodes sector 16 of a disc; nothing when it is no primary volume descriptor.
std::optional<VolumeDescriptorTexts> DecodePrimaryVolumeDescriptor(const std::vector<uint8_t> &sector);

class TForm6 : public WizardPage {
    Q_OBJECT

public:
    static constexpr int kGridRows = 17; // 8 read, 8 write, buffer underrun protection

    TForm6(TForm1 &shell, QWidget *pageArea);
    ~TForm6() override;

    void FormShow() override;

    // The grid's rows: the capability bit and the two pictures of each.
    struct GridRow {
        uint32_t bit;
        QLabel *yes;
        QLabel *no;
    };
    const std::array<GridRow, kGridRows> &Grid() const { return grid_; }
    Ui::TForm6 &Form() { return *ui_; }

private:
    void ResetDiscValues();
    void ShowDescriptorFields();

    std::unique_ptr<Ui::TForm6> ui_;
    std::array<GridRow, kGridRows> grid_{};
};

} // namespace zelvane::app
