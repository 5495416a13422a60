#include "frm_main.h"
#include "msgbox.h"
#include "support/print_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Types a text key by key, as a user would; full-width characters included.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

struct Message {
    QString prompt;
    int style;
    QString title;
};

// A window whose warnings are recorded instead of shown.
class Window : public testing::Test {
protected:
    Window()
        : form(std::make_unique<frm_main>(
              [this](QWidget*, const QString& prompt, int style, const QString& title) {
                  messages.push_back({prompt, style, title});
              })) {}

    template <typename Control = QWidget> Control* control(const char* name) {
        auto* found = form->findChild<Control*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* box(const char* name) { return control<QLineEdit>(name); }

    // Types both inputs and clicks the calculate button.
    void calculate(const QString& traffic, const QString& loss) {
        box("txtInput1")->setText(traffic);
        box("txtInput2")->setText(loss);
        control<QPushButton>("cmdCalc")->click();
    }

    std::vector<Message> messages;
    std::unique_ptr<frm_main> form;
};

TEST_F(Window, ControlsStandAtTheirPlacesInTheirContainers) {
    EXPECT_EQ(form->size(), QSize(304, 303));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const struct {
        const char* name;
        const char* container;
        QRect pixels;
    } rows[] = {
        {"cmdExit", "frm_main", {200, 272, 97, 21}},  {"Frame1", "frm_main", {8, 8, 289, 257}},
        {"Frame2", "Frame1", {8, 48, 273, 201}},      {"txtInput1", "Frame2", {184, 24, 81, 25}},
        {"txtResult", "Frame2", {128, 168, 137, 25}}, {"lblLabel1", "Frame2", {16, 29, 161, 17}},
        {"Image1", "Frame1", {8, 16, 32, 32}},        {"Label1", "Frame1", {56, 32, 129, 17}},
    };
    for (const auto& row : rows) {
        QWidget* w = control(row.name);
        EXPECT_EQ(w->geometry(), row.pixels) << row.name;
        EXPECT_EQ(w->parentWidget()->objectName().toStdString(), row.container) << row.name;
    }
    // Every control lies wholly inside its container.
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (!w->objectName().isEmpty() && w->parentWidget()) {
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                << w->objectName().toStdString();
        }
    }
    // The exit button's right edge lines up with the outer frame's.
    EXPECT_EQ(control("cmdExit")->geometry().right(), control("Frame1")->geometry().right());
}

TEST_F(Window, FontsResolveToTheMappedFamilies) {
    const struct {
        const char* name;
        const char* family;
        qreal points;
        bool heavy;
    } rows[] = {
        {"txtInput1", "IPAPGothic", 12, false},      {"txtResult", "IPAPGothic", 12, false},
        {"cmdCalc", "IPAPGothic", 11.25, true},      {"lblResult", "IPAPGothic", 9.75, true},
        {"lblLabel1", "IPAPGothic", 9, false},       {"cmdExit", "IPAPGothic", 9, false},
        {"lblVersion", "Liberation Sans", 9, false}, {"Label2", "Liberation Sans", 14.25, true},
        {"Label1", "Liberation Sans", 9, true},
    };
    for (const auto& row : rows) {
        const QFontInfo info(control(row.name)->font());
        EXPECT_EQ(info.family().toStdString(), row.family) << row.name;
        EXPECT_EQ(control(row.name)->font().pointSizeF(), row.points) << row.name;
        EXPECT_EQ(info.bold(), row.heavy) << row.name;
    }
}

TEST_F(Window, TextsAfterLoad) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Corvane"));
    const struct {
        const char* name;
        QString text;
    } rows[] = {
        {"lblVersion", QStringLiteral("Ver:01-01")},
        {"lblLabel1", QStringLiteral("呼量(アーラン) [ 0 - 999999 ]：")},
        {"lblLabel2", QStringLiteral("呼損率 [ 0.0001 - 0.9999 ]：")},
        {"lblResult", QStringLiteral("必要回線数")},
        {"Label2", QStringLiteral("Corvane")},
        {"Label1", QStringLiteral("Erlang B Calculator")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(control<QLabel>(row.name)->text(), row.text) << row.name;
    }
    EXPECT_EQ(control<QPushButton>("cmdCalc")->text(), QStringLiteral("計算"));
    EXPECT_EQ(control<QPushButton>("cmdExit")->text(), QStringLiteral("Exit"));
    for (const char* name : {"txtInput1", "txtInput2", "txtResult"}) {
        EXPECT_TRUE(box(name)->text().isEmpty()) << name;
    }
    EXPECT_EQ(form->lines(), 0);
    EXPECT_EQ(box("txtInput1")->accessibleName(), QStringLiteral("呼量(アーラン) [ 0 - 999999 ]"));
    EXPECT_EQ(control<QLabel>("lblResult")->buddy(), box("txtResult"));
}

TEST_F(Window, NoTextIsClipped) {
    for (const char* name : {"lblLabel1", "lblLabel2", "lblResult", "lblVersion", "Label1",
                             "Label2", "cmdCalc", "cmdExit"}) {
        QWidget* w = control(name);
        auto* label = qobject_cast<QLabel*>(w);
        const QString text = label ? label->text() : qobject_cast<QPushButton*>(w)->text();
        const QFontMetrics metrics(w->font());
        EXPECT_LE(metrics.horizontalAdvance(text), w->width()) << name;
        EXPECT_LE(metrics.height(), w->height()) << name;
    }
}

TEST_F(Window, TabOrderAndInitialFocus) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), box("txtInput1"));

    QStringList order;
    for (int i = 0; i < 5; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, QStringList({"txtInput1", "txtInput2", "cmdCalc", "txtResult", "cmdExit"}));
    EXPECT_EQ(QApplication::focusWidget(), box("txtInput1"));
}

TEST_F(Window, StandsInTheMiddleOfTheScreen) {
    const QRect screen = form->screen()->geometry();
    const QRect outer = form->frameGeometry();
    EXPECT_NEAR(outer.center().x(), screen.center().x(), 1);
    EXPECT_NEAR(outer.center().y(), screen.center().y(), 1);
}

TEST_F(Window, EnterAndEscapeClickNothing) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    box("txtInput1")->setText(QStringLiteral("abc"));
    QTest::keyClick(box("txtInput1"), Qt::Key_Return);
    QTest::keyClick(box("txtInput1"), Qt::Key_Escape);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(Window, InputBoxesKeepToSixCharacters) {
    const struct {
        const char* what;
        QString before;
        QString typed;
        QString pasted;
        QString after;
    } cases[] = {
        {"seventh typed character is refused",
         {},
         QStringLiteral("1234567"),
         {},
         QStringLiteral("123456")},
        {"six characters stay", {}, QStringLiteral("999999"), {}, QStringLiteral("999999")},
        {"six characters stay", {}, QStringLiteral("0.9999"), {}, QStringLiteral("0.9999")},
        {"full-width characters count one each",
         {},
         QStringLiteral("１２３４５６７"),
         {},
         QStringLiteral("１２３４５６")},
        {"pasted long text leaves an empty box empty", {}, {}, QStringLiteral("1234567"), {}},
        {"pasted long text restores the previous text",
         QStringLiteral("12"),
         {},
         QStringLiteral("1234567"),
         QStringLiteral("12")},
        {"pasted short text is taken",
         QStringLiteral("12"),
         {},
         QStringLiteral("3456"),
         QStringLiteral("123456")},
    };
    for (const char* name : {"txtInput1", "txtInput2"}) {
        for (const auto& c : cases) {
            QLineEdit* input = box(name);
            input->setText(c.before);
            input->end(false);
            Type(input, c.typed);
            if (!c.pasted.isEmpty()) {
                QGuiApplication::clipboard()->setText(c.pasted);
                input->paste();
            }
            EXPECT_EQ(input->text(), c.after) << name << ": " << c.what;
            input->clear();
        }
    }
}

TEST_F(Window, BadInputIsReportedAndChangesNothing) {
    const QString bad = QStringLiteral("　の値が不正です。");
    const struct {
        QString traffic;
        QString loss;
        QString prompt;
    } cases[] = {
        {{}, QStringLiteral("0.01"), QStringLiteral("呼量：") + bad},
        {QStringLiteral("abc"), QStringLiteral("0.01"), QStringLiteral("呼量：abc") + bad},
        {QStringLiteral("-1"), QStringLiteral("0.01"), QStringLiteral("呼量：-1") + bad},
        {QStringLiteral(" 1e7 "), QStringLiteral("0.01"), QStringLiteral("呼量： 1e7 ") + bad},
        {QStringLiteral("1e-400"), QStringLiteral("0.01"), QStringLiteral("呼量：1e-400") + bad},
        {QStringLiteral("abc"), QStringLiteral("xyz"), QStringLiteral("呼量：abc") + bad},
        {QStringLiteral("10"), QStringLiteral("1"), QStringLiteral("呼損率：1") + bad},
        {QStringLiteral("10"), QStringLiteral("0"), QStringLiteral("呼損率：0") + bad},
        {QStringLiteral("10"), {}, QStringLiteral("呼損率：") + bad},
        {QStringLiteral("10"), QStringLiteral("9e-5"), QStringLiteral("呼損率：9e-5") + bad},
    };
    calculate(QStringLiteral("10"), QStringLiteral("0.01"));
    box("txtResult")->setText(QStringLiteral("edited"));
    for (const auto& c : cases) {
        messages.clear();
        calculate(c.traffic, c.loss);
        ASSERT_EQ(messages.size(), 1u) << c.prompt.toStdString();
        EXPECT_EQ(messages[0].prompt, c.prompt);
        EXPECT_EQ(messages[0].style, 48);
        EXPECT_EQ(messages[0].title, QStringLiteral("Corvane"));
        EXPECT_EQ(box("txtResult")->text(), QStringLiteral("edited")) << c.prompt.toStdString();
        EXPECT_EQ(box("txtInput1")->text(), c.traffic);
        EXPECT_EQ(box("txtInput2")->text(), c.loss);
        EXPECT_EQ(form->lines(), 18);
    }
}

TEST_F(Window, GoodInputShowsTheLineCount) {
    const struct {
        QString traffic;
        QString loss;
        QString lines;
    } cases[] = {
        {QStringLiteral("10"), QStringLiteral("0.01"), QStringLiteral("18")},
        {QStringLiteral("0"), QStringLiteral("0.01"), QStringLiteral("0")},
        {QStringLiteral("999999"), QStringLiteral("0.9999"), QStringLiteral("101")},
        {QStringLiteral("999999"), QStringLiteral("0.0001"), QStringLiteral("1001691")},
        {QStringLiteral("5"), QStringLiteral("0.0001"), QStringLiteral("16")},
        {QStringLiteral("1e-9"), QStringLiteral("0.01"), QStringLiteral("1")},
        {QStringLiteral("１０"), QStringLiteral("０．０１"), QStringLiteral("18")},
        {QStringLiteral("\u300010 "), QStringLiteral("1e-2"), QStringLiteral("18")},
    };
    for (const auto& c : cases) {
        calculate(c.traffic, c.loss);
        EXPECT_EQ(box("txtResult")->text(), c.lines) << c.traffic.toStdString();
        EXPECT_EQ(form->lines(), c.lines.toDouble());
        EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor) << "pointer left busy";
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(Window, ExitButtonAndCloseBoxEndAtOnce) {
    for (bool viaButton : {true, false}) {
        form->show();
        calculate(QStringLiteral("10"), QStringLiteral("0.01"));
        QSignalSpy closed(form.get(), &QObject::destroyed);
        if (viaButton) {
            control<QPushButton>("cmdExit")->click();
        } else {
            EXPECT_TRUE(form->close());
        }
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(messages.empty());
    }
}

// The real box, closed by a timer: the warning shows with its icon, title and
// single OK button, and Ctrl+C copies it.
TEST(RealMessageBox, WarnsAndCopies) {
    frm_main form;
    form.show();
    form.findChild<QLineEdit*>(QStringLiteral("txtInput1"))->setText(QStringLiteral("abc"));

    QString title, text, copied;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        poll.stop();
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        copied = QGuiApplication::clipboard()->text();
        box->button(QMessageBox::Ok)->click();
    });
    poll.start();
    // If the box never shows, this test's timeout fails it rather than hang.
    form.findChild<QPushButton*>(QStringLiteral("cmdCalc"))->click();

    EXPECT_EQ(title, QStringLiteral("Corvane"));
    EXPECT_EQ(text, QStringLiteral("呼量：abc　の値が不正です。"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(copied, platform::ClipboardText(title, text, {QStringLiteral("OK")}));
}

TEST(Screenshot, WindowRendersAtItsSize) {
    frm_main form;
    form.findChild<QLineEdit*>(QStringLiteral("txtInput1"))->setText(QStringLiteral("10"));
    form.findChild<QLineEdit*>(QStringLiteral("txtInput2"))->setText(QStringLiteral("0.01"));
    form.findChild<QPushButton*>(QStringLiteral("cmdCalc"))->click();
    form.show();
    const QPixmap shot = form.grab();
    EXPECT_EQ(shot.deviceIndependentSize(), QSizeF(304, 303));
    const QString path = qEnvironmentVariable("CORVANE_SCREENSHOT");
    if (!path.isEmpty()) {
        EXPECT_TRUE(shot.save(path));
    }
}

} // namespace
