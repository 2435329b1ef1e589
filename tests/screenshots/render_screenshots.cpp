// Renders the main window and the About box to PNG files, offscreen, for the README
// and for looking at the program as a person would.
//   render_screenshots <output folder>
#include "app/custom_dialog.h"
#include "app/widget.h"
#include "support/fake_device_enumerator.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QStackedWidget>
#include <QTest>

#include <cstdio>

namespace {

bool save(QWidget& widget, const QString& path)
{
    const QPixmap shot = widget.grab();
    if (shot.isNull() || !shot.save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), shot.width(), shot.height());
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar, true);
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(folder);
    applyApplicationLook();

    FakeDeviceEnumerator bus; // a controller as a user would see it listed
    bus.plug("Quorvane ZRT-30", 0x1209, 0x7003, "ttyACM0");

    Widget window;
    window.resize(1000, 850);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QTest::qWait(100);

    bool ok = save(window, folder + "/main-window.png");
    auto* stack = window.findChild<QStackedWidget*>("pedal_type_stack");
    const char* pages[] = {"expression", "switch", "hi-hat"};
    for (int i = 1; stack && i < stack->count(); ++i) {
        stack->setCurrentIndex(i);
        QTest::qWait(50);
        ok = save(window, folder + QStringLiteral("/main-window-%1.png").arg(pages[i])) && ok;
    }

    CustomDialog about(&window);
    about.show();
    if (!QTest::qWaitForWindowExposed(&about))
        return 1;
    QTest::qWait(50);
    ok = save(about, folder + "/about.png") && ok;
    return ok ? 0 : 1;
}
