// What the information page shows, read back for the tests.
#pragma once

#include <QStringList>
#include <cstdint>

namespace zelvane::app {
class TForm6;
}

namespace zelvane::app::testing {

// Medium, speed, status, size, used, free.
QStringList InfoValues(TForm6 &page);
// Volume label, preparer, publisher, copyright, date, application.
QStringList InfoFields(TForm6 &page);
// The capability bits whose "yes" picture shows; all ones when a row shows
// both pictures or neither.
uint32_t ShownAbilities(const TForm6 &page);
constexpr uint32_t kInconsistentGrid = 0xFFFFFFFF;

} // namespace zelvane::app::testing
