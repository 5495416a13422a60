// The baseline for start-up: an empty Qt window of Corvane's size, built with
// the same compiler, flags and Qt.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(304, 303);
    window.show();
    return QApplication::exec();
}
