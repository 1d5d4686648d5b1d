// zelvane: the CD/DVD burning wizard.
#include "engine_backend.h"
#include "global.h"
#include "interaction.h"
#include "main.h"
#include "single_instance.h"

#include <QApplication>
#include <QFont>

int main(int argc, char **argv)
{
    using namespace zelvane::app;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zelvane"));
    QApplication::setDesktopFileName(QStringLiteral("zelvane"));
    InstallQtRussianTexts();

    SingleInstance instance;
    if (instance.ActivateRunningInstance())
        return 0;
    instance.Listen();

    TForm1 window(MakeEngineBackend());
    if (!window.Started())
        return 1;
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &TForm1::Activate);
    window.show();
    return QApplication::exec();
}
