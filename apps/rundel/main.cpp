// rundel: the route planner's desktop program.

#include "rundel/version.h"
#include "shell/frmmain.h"
#include "shell/quitsignals.h"
#include "shell/rundelapp.h"

#include <QApplication>
#include <QDir>
#include <QLoggingCategory>
#include <unistd.h>

int main(int argc, char** argv) {
    // Chromium's sandbox refuses to run as root; a root session has no sandbox to lose.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES")) {
        QLoggingCategory::setFilterRules(QStringLiteral("rundel.*.debug=false"));
    }
    QApplication::setApplicationName(QStringLiteral("Rundel_Engine"));
    QApplication::setApplicationVersion(QStringLiteral(RUNDEL_VERSION));
    const QString folder = QCoreApplication::applicationDirPath();
    rundel::shell::RundelApp rundel(
        {folder, QDir(folder).filePath(QStringLiteral("rundel-mapserver"))});
    // A logout, Ctrl+C or kill ends the program as its menu does: the map server with it.
    rundel::shell::QuitSignals quit_signals;
    QObject::connect(&quit_signals, &rundel::shell::QuitSignals::requested, &rundel,
                     &rundel::shell::RundelApp::end);
    if (!rundel.start()) {
        return 0;
    }
    rundel.window().show();
    return QApplication::exec();
}
