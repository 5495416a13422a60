#include "window/frm_main.h"

#include "calc/mdl_Corvane.h"
#include "platform/numbers.h"
#include "platform/screen.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMoveEvent>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <iterator>

namespace {

// Every control, in the window's order: its container and where it stands
// in it, in twips from the container's top-left. Containers come before what
// they hold.
struct Placement {
    const char* name;
    const char* container;
    float left, top, width, height;
};

constexpr float kClientWidth = 4560;
constexpr float kClientHeight = 4545;

// clang-format off
constexpr Placement kLayout[] = {
    // control     container   left    top  width height
    {"cmdExit",    "frm_main",  3000,  4080,  1455,   320},
    {"Frame1",     "frm_main",   120,   120,  4335,  3855},
    {"Frame2",     "Frame1",     120,   720,  4095,  3015},
    {"txtResult",  "Frame2",    1920,  2520,  2055,   375},
    {"txtInput2",  "Frame2",    2760,   840,  1215,   375},
    {"cmdCalc",    "Frame2",     840,  1440,  2415,   735},
    {"txtInput1",  "Frame2",    2760,   360,  1215,   375},
    {"lblLabel2",  "Frame2",     240,   915,  2415,   255},
    {"lblLabel1",  "Frame2",     240,   435,  2415,   255},
    {"lblResult",  "Frame2",     240,  2595,  1455,   255},
    {"lblVersion", "Frame1",    3240,   480,   975,   255},
    {"Label2",     "Frame1",     840,   120,  1335,   375},
    {"Label1",     "Frame1",     840,   480,  1935,   255},
    {"Image1",     "Frame1",     120,   240,   480,   480},
};
// clang-format on

constexpr int kMaxInputLength = 6;

const QString kGothic = QStringLiteral("ＭＳ Ｐゴシック");

QFont Font(const QString& family, qreal points, QFont::Weight weight = QFont::Normal) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

// Arial Black has a single, black face; asking for that weight keeps the
// title heavy where Liberation Sans stands in for it.
QFont ArialBlack(qreal points) {
    return Font(QStringLiteral("Arial Black"), points, QFont::Black);
}

// Creates a control in its container, named and placed as the layout says.
template <typename Control> Control* Make(QWidget* form, const char* name) {
    const auto* p =
        std::find_if(std::begin(kLayout), std::end(kLayout),
                     [name](const Placement& row) { return qstrcmp(row.name, name) == 0; });
    Q_ASSERT(p != std::end(kLayout));
    QWidget* container = qstrcmp(p->container, "frm_main") == 0
                             ? form
                             : form->findChild<QWidget*>(QLatin1String(p->container));
    auto* control = new Control(container);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(platform::TwipsRect(p->left, p->top, p->width, p->height));
    return control;
}

QLabel* MakeLabel(QWidget* form, const char* name, Qt::Alignment alignment, const QFont& font) {
    auto* label = Make<QLabel>(form, name);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setFont(font);
    return label;
}

QLineEdit* MakeTextBox(QWidget* form, const char* name) {
    auto* box = Make<QLineEdit>(form, name);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFont(Font(kGothic, 12));
    return box;
}

QPushButton* MakeButton(QWidget* form, const char* name) {
    auto* button = Make<QPushButton>(form, name);
    // Enter presses a button that has the focus, as Space does. Outside a
    // dialog no button is the default, so Enter in a text box presses none.
    button->setAutoDefault(true);
    return button;
}

QGroupBox* MakeFrame(QWidget* form, const char* name) {
    // A group box with no title draws the plain frame border.
    return Make<QGroupBox>(form, name);
}

// The one 32 px image, compiled in: no file to read and no image plugins to
// look for at start. Menus, task bars and software centres that want larger
// sizes take the installed theme icons, which the desktop entry names and
// matches to this window (StartupWMClass).
QIcon ProgramIcon() {
#include "resources/icons/corvane-32.xpm"
    return QIcon(QPixmap(corvane_32_xpm));
}

// Names an input or result box after its label, for screen readers.
void Describe(QLineEdit* box, QLabel* label) {
    label->setBuddy(box);
    QString name = label->text();
    if (name.endsWith(u'：')) {
        name.chop(1);
    }
    box->setAccessibleName(name);
}

} // namespace

frm_main::frm_main(platform::MessageBoxFn msgBox, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
    , msgBox_(std::move(msgBox)) {
    setObjectName(QStringLiteral("frm_main"));
    // The layout leaves the window's own font open: the Japanese system's
    // dialog font, which cmdExit and the two prompt labels use.
    setFont(Font(kGothic, 9));
    setFixedSize(platform::ToPixels(kClientWidth), platform::ToPixels(kClientHeight));
    const QIcon icon = ProgramIcon();
    setWindowIcon(icon);

    cmdExit = MakeButton(this, "cmdExit");
    Frame1 = MakeFrame(this, "Frame1");
    Frame2 = MakeFrame(this, "Frame2");
    txtResult = MakeTextBox(this, "txtResult");
    txtInput2 = MakeTextBox(this, "txtInput2");
    cmdCalc = MakeButton(this, "cmdCalc");
    cmdCalc->setFont(Font(kGothic, 11.25, QFont::Bold));
    txtInput1 = MakeTextBox(this, "txtInput1");
    lblLabel2 = MakeLabel(this, "lblLabel2", Qt::AlignRight, font());
    lblLabel1 = MakeLabel(this, "lblLabel1", Qt::AlignRight, font());
    lblResult = MakeLabel(this, "lblResult", Qt::AlignRight, Font(kGothic, 9.75, QFont::Bold));
    lblVersion = MakeLabel(this, "lblVersion", Qt::AlignLeft, Font(QStringLiteral("Arial"), 9));
    Label2 = MakeLabel(this, "Label2", Qt::AlignLeft, ArialBlack(14.25));
    Label2->setText(QStringLiteral("Corvane"));
    Label1 = MakeLabel(this, "Label1", Qt::AlignLeft, ArialBlack(9));
    Label1->setText(QStringLiteral("Erlang B Calculator"));
    Image1 = Make<QLabel>(this, "Image1");
    Image1->setPixmap(icon.pixmap(QSize(32, 32), devicePixelRatioF()));

    QPalette white = txtResult->palette();
    white.setColor(QPalette::Base, Qt::white);
    txtResult->setPalette(white);

    setTabOrder(txtInput1, txtInput2);
    setTabOrder(txtInput2, cmdCalc);
    setTabOrder(cmdCalc, txtResult);
    setTabOrder(txtResult, cmdExit);
    txtInput1->setFocus();

    connect(cmdCalc, &QPushButton::clicked, this, &frm_main::cmdCalc_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frm_main::cmdExit_Click);
    connect(txtInput1, &QLineEdit::textChanged, this, &frm_main::txtInput1_Change);
    connect(txtInput2, &QLineEdit::textChanged, this, &frm_main::txtInput2_Change);
    // A box signals the caret's move after the text change of the same edit,
    // so the guard still finds here where the caret stood before it.
    connect(txtInput1, &QLineEdit::cursorPositionChanged, this,
            [this](int, int now) { caretInput1 = now; });
    connect(txtInput2, &QLineEdit::cursorPositionChanged, this,
            [this](int, int now) { caretInput2 = now; });

    Form_Load();
}

void frm_main::Form_Load() {
    setWindowTitle(QStringLiteral("Corvane"));
    lblVersion->setText(QStringLiteral("Ver:01-01"));
    lblLabel1->setText(QStringLiteral("呼量") + QStringLiteral("(アーラン)") +
                       QStringLiteral(" [ 0 - 999999 ]") + QStringLiteral("："));
    lblLabel2->setText(QStringLiteral("呼損率") + QStringLiteral(" [ 0.0001 - 0.9999 ]") +
                       QStringLiteral("："));
    lblResult->setText(QStringLiteral("必要回線数"));
    cmdCalc->setText(QStringLiteral("計算"));
    cmdExit->setText(QStringLiteral("Exit"));
    Describe(txtInput1, lblLabel1);
    Describe(txtInput2, lblLabel2);
    Describe(txtResult, lblResult);

    txtInput1->setText(QString());
    txtInput2->setText(QString());
    txtResult->setText(QString());

    dblLines = 0;

    Centre();
}

void frm_main::Centre() {
    const QSizeF screen = platform::ScreenSizeTwips(this);
    const QSizeF outer = platform::OuterSizeTwips(this);
    const auto left = (static_cast<float>(screen.width()) - static_cast<float>(outer.width())) / 2;
    const auto top = (static_cast<float>(screen.height()) - static_cast<float>(outer.height())) / 2;
    platform::MoveTwips(this, left, top);
    centredOuterSize = frameGeometry().size();
}

// A window manager adds its frame (title bar, border) only once the window
// is up, after Form_Load has centred what it knew: centre again on the outer
// size when it turns out different. A move by the user keeps the size.
void frm_main::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible() && frameGeometry().size() != centredOuterSize) {
        Centre();
    }
}

// Nothing to ask or save: closing always goes ahead.
void frm_main::Form_Unload() {}

void frm_main::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frm_main::cmdExit_Click() {
    platform::Unload(this);
}

void frm_main::txtInput1_Change() {
    KeepToSixCharacters(txtInput1, strLastInput1, caretInput1);
}

void frm_main::txtInput2_Change() {
    KeepToSixCharacters(txtInput2, strLastInput2, caretInput2);
}

// A text grown past six characters, typed or pasted, gives way to the last
// text that fitted, with the caret where it stood before. Setting the text
// runs this handler again, which records it.
void frm_main::KeepToSixCharacters(QLineEdit* box, QString& last, int caretBefore) {
    const QString text = box->text();
    if (text.length() > kMaxInputLength) {
        box->setText(last);
        box->setCursorPosition(caretBefore);
    } else {
        last = text;
    }
}

bool frm_main::IsValidValue(const QString& text, short code) {
    if (text.isEmpty()) {
        return false;
    }
    const std::optional<double> value = platform::ToDouble(text);
    if (!value) {
        return false;
    }
    switch (code) {
    case FLD_TRAFFIC:
        return *value <= 999999 && *value >= 0;
    case FLD_LOSS:
        return *value <= 0.9999 && *value >= 0.0001;
    default:
        return false;
    }
}

void frm_main::Warn(const QString& fieldName, const QString& text) {
    msgBox_(this, fieldName + QStringLiteral("：") + text + QStringLiteral("　の値が不正です。"),
            platform::kWarningStyle, QStringLiteral("Corvane"));
}

void frm_main::cmdCalc_Click() {
    if (!IsValidValue(txtInput1->text(), FLD_TRAFFIC)) {
        Warn(QStringLiteral("呼量"), txtInput1->text());
        return;
    }
    if (!IsValidValue(txtInput2->text(), FLD_LOSS)) {
        Warn(QStringLiteral("呼損率"), txtInput2->text());
        return;
    }

    const platform::BusyPointer busy;
    txtResult->setText(QString());
    const QString traffic = txtInput1->text();
    const QString loss = txtInput2->text();
    const double B = *platform::ToDouble(loss);
    const double A = *platform::ToDouble(traffic);
    dblLines = mdl_Corvane::CalcLines(A, B);
    txtResult->setText(platform::ToText(dblLines));
}
