#include "session_discs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace zelvane::app::testing {

namespace {

constexpr qint64 kSector = 2048;
// Sectors left free between two sessions.
constexpr qint64 kSessionGap = 16;

} // namespace

int Run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitCode();
}

std::optional<MultisessionDisc> MakeMultisessionDisc(const QString &work, const QStringList &sessionSources)
{
    const QString xorriso = QStandardPaths::findExecutable(QStringLiteral("xorriso"));
    if (xorriso.isEmpty())
        return std::nullopt;
    MultisessionDisc disc;
    disc.image = QDir(work).filePath(QStringLiteral("multisession.iso"));
    const QString session = QDir(work).filePath(QStringLiteral("session.iso"));
    QFile::remove(disc.image);
    for (const QString &source : sessionSources) {
        QStringList arguments{QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-J")};
        const qint64 start = disc.sessionStarts.empty() ? 0 : QFileInfo(disc.image).size() / kSector + kSessionGap;
        if (!disc.sessionStarts.empty())
            arguments << QStringLiteral("-M") << disc.image << QStringLiteral("-C")
                      << QStringLiteral("%1,%2").arg(disc.sessionStarts.back()).arg(start);
        QFile::remove(session);
        if (Run(xorriso, arguments << QStringLiteral("-o") << session << source) != 0)
            return std::nullopt;
        QFile out(disc.image);
        QFile in(session);
        if (!out.open(QIODevice::ReadWrite) || !out.resize(start * kSector) || !out.seek(start * kSector) ||
            !in.open(QIODevice::ReadOnly) || out.write(in.readAll()) != in.size())
            return std::nullopt;
        disc.sessionStarts.push_back(static_cast<uint32_t>(start));
    }
    return disc;
}

} // namespace zelvane::app::testing
