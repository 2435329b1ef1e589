// The small classes that give the window its own look: popup sizing, the About box,
// the shared message boxes.
#include "app/combo_popup_fixer.h"
#include "app/common.h"
#include "app/custom_dialog.h"
#include "app/non_popup_combobox_style.h"
#include "app/widget.h"
#include "support/modal_watcher.h"
#include "support/window_fixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>

class TestUiHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { applyApplicationLook(); }

    void popupSizedAndPlacedUnderTheBox_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("rows"); // 0: the popup is not sized
        QTest::newRow("3 items, 3 rows") << 3 << 3;
        QTest::newRow("8 items, 8 rows") << 8 << 8;
        QTest::newRow("9 items, 8 rows") << 9 << 8;
        QTest::newRow("128 items, 8 rows") << 128 << 8;
    }
    void popupSizedAndPlacedUnderTheBox()
    {
        QFETCH(int, items);
        QFETCH(int, rows);

        NonPopupComboBoxStyle style; // outlives the box
        ComboPopupFixer fixer;
        QWidget host;
        auto* layout = new QVBoxLayout(&host);
        auto* box = new QComboBox(&host);
        layout->addWidget(box);
        layout->addStretch();
        for (int i = 0; i < items; ++i)
            box->addItem(QString::number(i));
        box->setStyle(&style);
        box->setMaxVisibleItems(items);
        box->installEventFilter(&fixer);
        host.resize(240, 400);
        host.move(50, 60);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));

        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        QWidget* popup = box->view()->window();
        QTRY_VERIFY(popup->isVisible());
        QTest::qWait(30); // the fix runs from a zero timer after the popup opened
        const int rowHeight = box->view()->sizeHintForRow(0);
        QCOMPARE(box->view()->height(), rowHeight * rows + 2);
        QCOMPARE(box->view()->width(), box->width());
        QCOMPARE(popup->pos(), box->mapToGlobal(QPoint(0, box->height())));
        box->hidePopup();
    }

    void emptyBoxPopupLeftAlone()
    {
        NonPopupComboBoxStyle style;
        ComboPopupFixer fixer;
        QWidget host;
        auto* box = new QComboBox(&host);
        box->setStyle(&style);
        box->installEventFilter(&fixer);
        host.resize(240, 200);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        box->view()->setMinimumHeight(77);
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        QTest::qWait(30);
        // Nothing opens, so nothing is sized.
        QVERIFY(!box->view()->window()->isVisible());
        QCOMPARE(box->view()->minimumHeight(), 77);
    }

    void fixerSurvivesBoxDeletedBeforeTimer()
    {
        ComboPopupFixer fixer;
        auto* box = new QComboBox;
        box->addItem("x");
        box->installEventFilter(&fixer);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &press);
        delete box;
        QTest::qWait(20); // the deferred fix must find the box gone
    }

    void plainListPopupHint()
    {
        NonPopupComboBoxStyle style;
        QComboBox box;
        QCOMPARE(style.styleHint(QStyle::SH_ComboBox_Popup, nullptr, &box), 0);
        QCOMPARE(style.styleHint(QStyle::SH_ComboBox_ListMouseTracking, nullptr, &box),
                 style.baseStyle()->styleHint(QStyle::SH_ComboBox_ListMouseTracking, nullptr, &box));
    }

    // The About box moves only when dragged by its 30 px title bar.
    void aboutBoxDraggedByTitleBarOnly_data()
    {
        QTest::addColumn<int>("pressY");
        QTest::addColumn<bool>("moves");
        QTest::newRow("top edge") << 1 << true;
        QTest::newRow("last title row") << 29 << true;
        QTest::newRow("first row below") << 30 << false;
        QTest::newRow("body") << 120 << false;
    }
    void aboutBoxDraggedByTitleBarOnly()
    {
        QFETCH(int, pressY);
        QFETCH(bool, moves);
        CustomDialog dialog;
        dialog.move(200, 150);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QPoint start = dialog.pos();

        const QPoint local(60, pressY);
        const QPoint global = dialog.mapToGlobal(local);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &press);
        // The pointer moves by (35, 12); the window follows it, so the pointer stays on the bar.
        const QPoint delta(35, 12);
        const QPoint movedLocal = moves ? local : QPoint(local.x() + delta.x(), qMin(pressY + delta.y(), 25));
        QMouseEvent move(QEvent::MouseMove, movedLocal, global + delta, Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, movedLocal, global + delta, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &release);

        QTRY_COMPARE(dialog.pos(), moves ? start + delta : start);
    }

    void aboutBoxContent()
    {
        CustomDialog dialog;
        QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
        QStringList texts;
        const auto labels = dialog.findChildren<QLabel*>();
        bool hasLogo = false;
        for (QLabel* label : labels) {
            texts << label->text();
            const QPixmap logo = label->pixmap(Qt::ReturnByValue);
            if (!logo.isNull()) {
                hasLogo = true;
                QVERIFY(logo.width() <= 100 && logo.height() <= 50);
            }
        }
        QVERIFY(texts.contains("Versio V4.0.2"));
        QVERIFY(hasLogo);
        ModalWatcher watcher("OK");
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }

    // Both notices show a single OK button, also when a Cancel text is passed.
    void noticesHaveOnlyOk()
    {
        {
            ModalWatcher watcher("OK");
            const int result = Common::showMsgBox("Port busy", nullptr, "OK", "Cancel", QString());
            QVERIFY(watcher.pressed());
            QCOMPARE(watcher.text(), QString("Port busy"));
            QCOMPARE(watcher.buttonTexts(), QStringList{"OK"});
            QCOMPARE(result, int(QMessageBox::Ok));
        }
        {
            ModalWatcher watcher("OK");
            Widget::showMsgBox("Set pedal success!");
            QVERIFY(watcher.pressed());
            QCOMPARE(watcher.text(), QString("Set pedal success!"));
            QCOMPARE(watcher.buttonTexts(), QStringList{"OK"});
        }
    }
};

QTEST_MAIN(TestUiHelpers)
#include "tst_ui_helpers.moc"
