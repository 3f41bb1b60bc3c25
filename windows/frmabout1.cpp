#include "windows/frmabout1.h"

#include "assets/helptext.h"
#include "lookup/hosts.h"
#include "windows/controls.h"
#include "windows/fonts.h"
#include "windows/form3.h"
#include "windows/frmmain.h"
#include "windows/pictures.h"

frmAbout1::frmAbout1() : WindowFrame(QStringLiteral("About/Help"), QSize(4605, 4545))
{
    setBackground(Pictures::get(QStringLiteral("background")));
    setPointer(Pictures::pointer(QStringLiteral("runner")));
    setFont(Fonts::arial(QFont::Normal, true));
    const QFont bold = Fonts::arial(QFont::Bold);
    auto icon = [](const char *name) { return Pictures::get(QString::fromLatin1(name)); };

    Text1 = add<QPlainTextEdit>("Text1", {120, 480, 4335, 1695});
    Text1->setFont(Fonts::microsoftSansSerif());
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setTabChangesFocus(true);
    Text1->setPlainText(HelpText::text());
    Label7 = add<PictureButton>("Label7", {3240, 3840, 975, 255}, QStringLiteral("      OK"), Fonts::caption());
    Image15 = add<Picture>("Image15", {3120, 3840, 1350, 210}, icon("buttonbar"));
    Label6 = add<Label>("Label6", {960, 3720, 1335, 375}, QString(), font());
    Label5 = add<Label>("Label5", {1200, 3775, 975, 255}, QStringLiteral("Click Here."), bold);
    Label4 = add<Label>("Label4", {120, 3360, 3135, 735},
                        QStringLiteral("Some servers use different icon sets. To view some of the "
                                       "more common ones you will encounter "),
                        Fonts::arial(QFont::Normal));
    Label3 = add<Label>("Label3", {3480, 2520, 975, 255}, QStringLiteral("= Unknown"), bold);
    Label2 = add<Label>("Label2", {2040, 3000, 855, 255}, QStringLiteral("= Offline"), bold);
    Label1 = add<Label>("Label1", {2040, 2520, 855, 255}, QStringLiteral("= Online"), bold);
    Image14 = add<Picture>("Image14", {3000, 2400, 315, 330}, icon("unknown"));
    Image13 = add<Picture>("Image13", {840, 2880, 330, 330}, icon("legend3-offline"));
    Image12 = add<Picture>("Image12", {840, 2400, 330, 330}, icon("legend3-online"));
    Image11 = add<Picture>("Image11", {1560, 2880, 315, 330}, icon("legend5-offline"));
    Image10 = add<Picture>("Image10", {1560, 2400, 330, 330}, icon("legend5-online"));
    Image9 = add<Picture>("Image9", {1200, 2880, 315, 330}, icon("legend4-offline"));
    Image8 = add<Picture>("Image8", {1200, 2400, 330, 330}, icon("legend4-online"));
    Image7 = add<Picture>("Image7", {120, 2880, 330, 330}, icon("legend1-offline"));
    Image6 = add<Picture>("Image6", {120, 2400, 330, 330}, icon("legend1-online"));
    Image5 = add<Picture>("Image5", {480, 2400, 330, 330}, icon("legend2-online"));
    Image4 = add<Picture>("Image4", {480, 2880, 315, 330}, icon("legend2-offline"));
    // Three empty picture areas under the text box: they show and do nothing.
    Image3 = add<Picture>("Image3", {1680, 1440, 1215, 495}, QPixmap());
    Image2 = add<Picture>("Image2", {1680, 1440, 1215, 495}, QPixmap());
    Image1 = add<Picture>("Image1", {1680, 1440, 1215, 495}, QPixmap());
    setTabOrder({Text1});
    Text1->setAccessibleName(QStringLiteral("Usage"));

    connect(this, &WindowFrame::surfaceClicked, this, &frmAbout1::Form_Click);
    connect(Label1, &Label::clicked, this, &frmAbout1::Label1_Click);
    connect(Label6, &Label::clicked, this, &frmAbout1::Label6_Click);
    connect(Label7, &Label::clicked, this, &frmAbout1::Label7_Click);
}

void frmAbout1::Form_Click()
{
    returnTo<frmmain>();
}

void frmAbout1::Label1_Click()
{
    openPage(Hosts::address(Hosts::groupServer, QStringLiteral("/Msntv/")));
}

void frmAbout1::Label6_Click()
{
    goTo<Form3>();
}

void frmAbout1::Label7_Click()
{
    goTo<frmmain>();
}
