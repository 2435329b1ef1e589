#include "app/app_style.h"
#include "app/logging.h"
#include "app/widget.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar, true);

    QApplication app(argc, argv);
    app.setStyleSheet(AppStyle::applicationStyleSheet());

    Widget window;
    window.setWindowFlags(window.windowFlags() | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

    qCDebug(lcApp) << "Available styles:" << QStyleFactory::keys();

    window.show();
    return app.exec();
}
