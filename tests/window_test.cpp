#include "platform/msgbox.h"
#include "tests/support/print_qt.h"
#include "window/frm_main.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

using S = QString;
const S kBad = S("　の値が不正です。");

// A window whose warnings are recorded ("prompt|style|title") instead of shown.
class Window : public testing::Test {
protected:
    QStringList warnings;
    std::unique_ptr<frm_main> form =
        std::make_unique<frm_main>([this](QWidget*, const S& prompt, int style, const S& title) {
            warnings << prompt + '|' + S::number(style) + '|' + title;
        });

    template <typename Control = QWidget> Control* get(const char* name) {
        auto* found = form->findChild<Control*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* box(const char* name) { return get<QLineEdit>(name); }
    void calculate(const S& traffic, const S& loss) {
        box("txtInput1")->setText(traffic);
        box("txtInput2")->setText(loss);
        get<QPushButton>("cmdCalc")->click();
    }
};

TEST_F(Window, FixedSizeWithoutMinimiseOrMaximiseAndControlsInside) {
    EXPECT_EQ(form->size(), QSize(304, 303));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
              Qt::WindowCloseButtonHint);
    for (QWidget* w : form->findChildren<QWidget*>(Qt::FindChildrenRecursively)) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(S("qt_"))) {
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << w->objectName();
        }
    }
    EXPECT_EQ(get("cmdExit")->geometry().right(), get("Frame1")->geometry().right());
    EXPECT_EQ(get<QLabel>("Image1")->pixmap().deviceIndependentSize(), QSizeF(32, 32));
}

// Mapped families, sizes and weights; and every caption fits its control.
TEST_F(Window, TextsAfterLoadInTheirFonts) {
    const struct {
        const char* name;
        S text;
        const char* family;
        qreal points;
        bool bold;
    } rows[] = {
        {"lblLabel1", S("呼量(アーラン) [ 0 - 999999 ]："), "IPAPGothic", 9, false},
        {"lblLabel2", S("呼損率 [ 0.0001 - 0.9999 ]："), "IPAPGothic", 9, false},
        {"lblResult", S("必要回線数"), "IPAPGothic", 9.75, true},
        {"cmdCalc", S("計算"), "IPAPGothic", 11.25, true},
        {"cmdExit", S("Exit"), "IPAPGothic", 9, false},
        {"lblVersion", S("Ver:01-01"), "Liberation Sans", 9, false},
        {"Label2", S("Corvane"), "Liberation Sans", 14.25, true},
        {"Label1", S("Erlang B Calculator"), "Liberation Sans", 9, true},
        {"txtInput1", {}, "IPAPGothic", 12, false},
        {"txtInput2", {}, "IPAPGothic", 12, false},
        {"txtResult", {}, "IPAPGothic", 12, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QFont font = get(row.name)->font();
        EXPECT_EQ(get(row.name)->property("text").toString(), row.text);
        EXPECT_EQ(QFontInfo(font).family(), S(row.family));
        EXPECT_EQ(font.pointSizeF(), row.points);
        EXPECT_EQ(QFontInfo(font).bold(), row.bold);
        EXPECT_LE(QFontMetrics(font).horizontalAdvance(row.text), get(row.name)->width());
    }
    EXPECT_EQ(form->windowTitle(), S("Corvane"));
    EXPECT_EQ(form->lines(), 0);
    EXPECT_EQ(box("txtInput1")->accessibleName(), S("呼量(アーラン) [ 0 - 999999 ]"));
}

// The centring needs a window manager's frame: e2e.sh checks it.
TEST_F(Window, OpensWithFocusFirstAndTabsInOrder) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, QStringList({"txtInput1", "txtInput2", "cmdCalc", "txtResult", "cmdExit",
                                  "txtInput1"}));
}

// A refused edit leaves the text and the caret as they were: Home, "9" into
// "123456", then Backspace deletes nothing.
TEST_F(Window, InputBoxesKeepToSixCharactersAndTheCaret) {
    const struct {
        S before, typed, pasted, after;
        bool home = false;
    } cases[] = {
        {{}, S("1234567"), {}, S("123456")},
        {{}, S("１２３４５６７"), {}, S("１２３４５６")},
        {{}, {}, S("1234567"), {}},
        {S("12"), {}, S("1234567"), S("12")},
        {S("12"), {}, S("3456"), S("123456")},
        {S("123456"), S("9"), {}, S("123456"), true},
    };
    for (const char* name : {"txtInput1", "txtInput2"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << name << " " << c.before << "+" << c.typed << c.pasted);
            QLineEdit* input = box(name);
            input->setText(c.before);
            QTest::keyClick(input, c.home ? Qt::Key_Home : Qt::Key_End);
            for (const QChar ch : c.typed) {
                QTest::sendKeyEvent(QTest::Click, input, Qt::Key_unknown, S(ch), Qt::NoModifier);
            }
            if (!c.pasted.isEmpty()) {
                QGuiApplication::clipboard()->setText(c.pasted);
                input->paste();
            }
            EXPECT_EQ(input->text(), c.after);
            EXPECT_EQ(input->cursorPosition(), c.home ? 0 : c.after.length());
        }
    }
}

// The first bad field is named, with its text as typed.
TEST_F(Window, BadInputIsReportedAndChangesNothing) {
    const struct {
        S traffic, loss;
        bool lossNamed = false;
    } cases[] = {
        {{}, S("0.01")},         {S("abc"), S("xyz")},    {S("-1"), S("0.01")},
        {S(" 1e7 "), S("0.01")}, {S("10"), S("1"), true}, {S("10"), S("0"), true},
        {S("10"), {}, true},
    };
    calculate(S("10"), S("0.01"));
    box("txtResult")->setText(S("edited"));
    for (const auto& c : cases) {
        const S prompt = c.lossNamed ? S("呼損率：") + c.loss : S("呼量：") + c.traffic;
        SCOPED_TRACE(prompt);
        warnings.clear();
        calculate(c.traffic, c.loss);
        EXPECT_EQ(warnings, QStringList(prompt + kBad + S("|48|Corvane")));
        EXPECT_EQ(box("txtResult")->text(), S("edited"));
        EXPECT_EQ(box("txtInput1")->text() + box("txtInput2")->text(), c.traffic + c.loss);
        EXPECT_EQ(form->lines(), 18);
    }
}

// The busy pointer stands over the whole program, text boxes included, while
// the result box changes, and is gone after.
TEST_F(Window, GoodInputShowsTheLineCountUnderTheBusyPointer) {
    const struct {
        S traffic, loss, lines;
    } cases[] = {
        {S("10"), S("0.01"), S("18")},        {S("0"), S("0.01"), S("0")},
        {S("999999"), S("0.9999"), S("101")}, {S("999999"), S("0.0001"), S("1001691")},
        {S("１０"), S("０．０１"), S("18")},
    };
    QList<Qt::CursorShape> pointers;
    QObject::connect(box("txtResult"), &QLineEdit::textChanged, [&] {
        const QCursor* c = QGuiApplication::overrideCursor();
        pointers << (c ? c->shape() : Qt::BitmapCursor);
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.traffic);
        box("txtResult")->setText(S("x"));
        pointers.clear();
        calculate(c.traffic, c.loss);
        EXPECT_EQ(box("txtResult")->text(), c.lines);
        EXPECT_EQ(form->lines(), c.lines.toDouble());
        EXPECT_EQ(pointers, QList<Qt::CursorShape>({Qt::WaitCursor, Qt::WaitCursor}));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_TRUE(warnings.isEmpty());
}

// Enter presses a button that has the focus, none from a text box; the exit
// button and the close box end at once, a result on display or not.
TEST_F(Window, ButtonsAnswerClickAndEnterAndTheWindowClosesAtOnce) {
    box("txtInput1")->setText(S("10"));
    box("txtInput2")->setText(S("0.01"));
    QTest::keyClick(box("txtInput2"), Qt::Key_Return);
    EXPECT_EQ(box("txtResult")->text(), S());
    QTest::keyClick(get("cmdCalc"), Qt::Key_Return);
    EXPECT_EQ(box("txtResult")->text(), S("18"));
    form->show();
    QTest::keyClick(get("cmdExit"), Qt::Key_Enter);
    EXPECT_FALSE(form->isVisible());
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(warnings.isEmpty());
}

// The real box, closed by a timer; a stray box fails the test by its timeout.
// What it quotes shows as typed, never as markup. Ctrl+C copies it in the
// layout of Windows' boxes.
TEST(RealMessageBox, WarnsInPlainTextAndCopies) {
    frm_main form;
    form.show();
    form.findChild<QLineEdit*>(S("txtInput1"))->setText(S("<b>1"));
    S seen, copied;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            seen = box->windowTitle() + '|' + box->text() + '|' + S::number(box->icon()) + '|' +
                   S::number(box->buttons().size()) + '|' + S::number(box->textFormat());
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            copied = QGuiApplication::clipboard()->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    poll.start(20);
    form.findChild<QPushButton*>(S("cmdCalc"))->click();
    const S prompt = S("呼量：<b>1") + kBad;
    EXPECT_EQ(seen,
              S("Corvane|%1|%2|1|%3").arg(prompt).arg(QMessageBox::Warning).arg(Qt::PlainText));
    const S rule = S("---------------------------\n");
    EXPECT_EQ(copied, rule + S("Corvane\n") + rule + prompt + '\n' + rule + S("OK   \n") + rule);
}

} // namespace
