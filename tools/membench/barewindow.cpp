// The least a Qt Widgets program with a text box, a list and a network manager holds in
// memory: membench.sh compares the program with it. Its texts are Chinese like the program's,
// so both pay for the CJK font and only the program's own weight shows in the ratio.

#include <QApplication>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new QLineEdit;
    edit->setPlaceholderText(QStringLiteral("请输入QQ号"));
    layout->addWidget(edit);
    auto *tree = new QTreeWidget;
    tree->setHeaderLabels({QStringLiteral("QQ号码"), QStringLiteral("昵称")});
    layout->addWidget(tree);
    QNetworkAccessManager network;
    window.resize(869, 443);
    window.show();
    return app.exec();
}
