// The floor of a start-up: a Qt Widgets program that shows one empty window
// of the main window's size and nothing else. The start-up benchmark runs it
// exactly as it runs the booking program.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(650, 579);
    window.show();
    return application.exec();
}
