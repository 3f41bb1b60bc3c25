#include "windows/form3.h"

#include "windows/controls.h"
#include "windows/frmabout1.h"
#include "windows/pictures.h"

#include <QIcon>
#include <QPushButton>

Form3::Form3() : WindowFrame(QStringLiteral("Status Icon Sets"), QSize(6120, 7110))
{
    // A plain white window, without background picture.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setPointer(Pictures::pointer(QStringLiteral("butterfly")));
    // The window has no icon of its own; a blank one keeps the toolkit from
    // lending it the program's.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));

    Command1 = add<QPushButton>("Command1", {4800, 120, 1095, 375}, QStringLiteral("Close"));
    Image4 = add<Picture>("Image4", {0, 5280, 6105, 1860}, Pictures::get(QStringLiteral("iconset4")));
    Image3 = add<Picture>("Image3", {-120, 3360, 4725, 1830}, Pictures::get(QStringLiteral("iconset3")));
    Image2 = add<Picture>("Image2", {0, 1560, 4560, 1800}, Pictures::get(QStringLiteral("iconset2")));
    Image1 = add<Picture>("Image1", {0, 0, 4200, 1500}, Pictures::get(QStringLiteral("iconset1")));
    setTabOrder({Command1});

    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
}

void Form3::Command1_Click()
{
    goTo<frmAbout1>();
}
