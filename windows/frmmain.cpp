#include "windows/frmmain.h"

#include "lookup/hosts.h"
#include "lookup/serverlist.h"
#include "lookup/version.h"
#include "webview/webbrowser.h"
#include "windows/controls.h"
#include "windows/fonts.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/frmabout.h"
#include "windows/pictures.h"

#include <QPushButton>

namespace {

const QString serverTip = QStringLiteral(
    "If using a different server status icons may be different. Check the help area for a list of icons.");

QStringList domains()
{
    return {QStringLiteral("-- other --"), Hosts::aolMail, Hosts::hotmailMail, Hosts::msnMail,
            Hosts::webtvMail};
}

} // namespace

frmmain::frmmain() : LookupWindow(QStringLiteral("Quorvane - By Telmik/Brasko"), QSize(4605, 4560))
{
    setBackground(Pictures::get(QStringLiteral("background")));
    setPointer(Pictures::pointer(QStringLiteral("butterfly")));
    const QPixmap buttonBar = Pictures::get(QStringLiteral("buttonbar"));
    const QPixmap fieldBar = Pictures::get(QStringLiteral("fieldbar"));
    const QFont caption = Fonts::caption();
    const QStringList servers = ServerList::entries(QString());

    Combo3 = add<ComboBox>("Combo3", {1800, 1560, 2655, 315}, servers, servers.first());
    Combo3->setToolTip(serverTip);
    Command5 = add<QPushButton>("Command5", {2400, 600, 615, 330}, QStringLiteral("IRC"));
    Command4 = add<QPushButton>("Command4", {1800, 600, 615, 330}, QStringLiteral("ICQ"));
    Combo2 = add<ComboBox>("Combo2", {3120, 600, 1335, 315},
                           QStringList{QStringLiteral("aim/"), QStringLiteral("msn/"),
                                       QStringLiteral("yahoo/")},
                           QStringLiteral("msn/"));
    Combo1 = add<ComboBox>("Combo1", {3120, 1080, 1335, 315}, domains(), Hosts::hotmailMail);
    Combo1->setToolTip(QStringLiteral("Delete any text in this area if checking YAHOO status"));
    addProgressBar({120, 3720, 4335, 255});
    Text1 = add<TextBox>("Text1", {1800, 1080, 1215, 315}, QStringLiteral("@"));
    Text1->setToolTip(QStringLiteral("For YAHOO only enter the user name, delete the @"));
    addWebBrowser({1800, 2280, 2655, 1215}, QStringLiteral("/Msntv/msnexe6.html"));
    Label8 = add<PictureButton>("Label8", {220, 3300, 1335, 255}, QStringLiteral("Exit Program"), caption);
    Image7 = add<Picture>("Image7", {120, 3300, 1350, 210}, buttonBar);
    Label7 = add<PictureButton>("Label7", {200, 2960, 1335, 255}, QStringLiteral("Please Donate"), caption);
    Image6 = add<Picture>("Image6", {120, 2955, 1350, 210}, buttonBar);
    Label6 = add<PictureButton>("Label6", {240, 2620, 1095, 255}, QStringLiteral("About/Help"), caption);
    Image5 = add<Picture>("Image5", {120, 2625, 1350, 210}, buttonBar);
    Label5 = add<PictureButton>("Label5", {200, 2280, 1215, 255}, QStringLiteral("Begin Lookup"), caption);
    Image4 = add<Picture>("Image4", {120, 2280, 1350, 210}, buttonBar);
    Label3 = add<Label>("Label3", {360, 1585, 855, 255}, QStringLiteral("Server"), caption);
    Label2 = add<Label>("Label2", {360, 1110, 975, 255}, QStringLiteral("Account"), caption);
    Label1 = add<Label>("Label1", {360, 625, 975, 255}, QStringLiteral("Medium"), caption);
    Image3 = add<Picture>("Image3", {120, 1590, 1350, 225}, fieldBar);
    Image2 = add<Picture>("Image2", {120, 1110, 1350, 225}, fieldBar);
    Image1 = add<Picture>("Image1", {120, 630, 1350, 225}, fieldBar);
    Label4 = add<Label>("Label4", {360, 50, 2775, 480}, QStringLiteral("%1 v%2").arg(QLatin1String(Version::product), QLatin1String(Version::text)), caption);

    setTabOrder({WebBrowser1, Text1, Combo1, Combo2, Command4, Command5, Combo3});
    // Boxes are named by the captions of their field bars.
    captionBox(Label1, Combo2);
    captionBox(Label2, Text1);
    captionBox(Label3, Combo3);
    Combo1->setAccessibleName(QStringLiteral("Domain"));

    connect(Label5, &Label::clicked, this, &frmmain::Label5_Click);
    connect(Label6, &Label::clicked, this, &frmmain::Label6_Click);
    connect(Label7, &Label::clicked, this, &frmmain::Label7_Click);
    connect(Label8, &Label::clicked, this, &frmmain::Label8_Click);
    connect(Command4, &QPushButton::clicked, this, &frmmain::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmmain::Command5_Click);
}

QStringList frmmain::boxTexts() const
{
    return {Combo3->currentText(), Combo2->currentText(), Text1->text(), Combo1->currentText()};
}

void frmmain::Label5_Click()
{
    beginLookup();
}

void frmmain::Label6_Click()
{
    goTo<frmAbout>();
}

void frmmain::Label7_Click()
{
    openPage(Hosts::address(Hosts::groupServer, QStringLiteral("/Msntv/thanks.html")));
}

void frmmain::Label8_Click()
{
    endProgram();
}

void frmmain::Command4_Click()
{
    goTo<Form1>();
}

void frmmain::Command5_Click()
{
    goTo<Form2>();
}
