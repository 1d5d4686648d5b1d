// Discs with several sessions, made by xorriso: each session is written with
// the directory of the one before it (-M / -C), so it holds the files of all
// earlier sessions too, and the sessions lie one after another in one image
// file, as on a multisession disc.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace zelvane::app::testing {

struct MultisessionDisc {
    QString image;
    std::vector<uint32_t> sessionStarts;
};

// Builds the disc in `work` with one session per source folder (its
// contents go to the disc's root); nothing when xorriso is missing or fails.
std::optional<MultisessionDisc> MakeMultisessionDisc(const QString &work, const QStringList &sessionSources);

// Runs a program; its exit code (-1 when it did not finish), its output
// (standard output and error) into `output` when given.
int Run(const QString &program, const QStringList &arguments, QString *output = nullptr);

} // namespace zelvane::app::testing
