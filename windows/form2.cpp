#include "windows/form2.h"

#include "app/fonts.h"
#include "app/hosts.h"
#include "assets/pictures.h"
#include "windows/controls.h"

Form2::Form2() : ServiceWindow(QStringLiteral("IRC Quorvane - By Telmik/Brasko"))
{
    const QPixmap fieldBar = Pictures::get(QStringLiteral("fieldbar"));
    const QFont caption = Fonts::caption();
    const QFont legend = Fonts::dialogBold();

    addServerBoxAndProgressBar(QStringLiteral("irc/"));
    Text1 = add<MultiLineTextBox>("Text1", accountBox, QString());
    Text1->setToolTip(QStringLiteral("Syntax for IRC is nick@ircserver, for example: ")
                      + Hosts::exampleIrcIdentity);
    addWebBrowser({1680, 2280, 2775, 1215}, QStringLiteral("/Msntv/msnexe4.html"));
    addButtons(1095);
    Label5 = add<Label>("Label5", {360, 1710, 615, 255}, QStringLiteral("Server"), caption);
    Label4 = add<Label>("Label4", {360, 1110, 495, 255}, QStringLiteral("IRC"), caption);
    Image4 = add<Picture>("Image4", {120, 1105, 1350, 225}, fieldBar);
    Image5 = add<Picture>("Image5", {120, 1705, 1350, 225}, fieldBar);
    Label3 = add<Label>("Label3", {3780, 840, 735, 255}, QStringLiteral("Offline"), legend);
    Label2 = add<Label>("Label2", {2670, 840, 855, 255}, QStringLiteral("Unknown"), legend);
    Label1 = add<Label>("Label1", {1800, 840, 855, 255}, QStringLiteral("Online"), legend);
    Image3 = add<Picture>("Image3", {2920, 480, 315, 330}, Pictures::get(QStringLiteral("unknown")));
    Image2 = add<Picture>("Image2", {3900, 480, 330, 330}, Pictures::get(QStringLiteral("irc-offline")));
    Image1 = add<Picture>("Image1", {1920, 480, 330, 330}, Pictures::get(QStringLiteral("irc-online")));
    finishLayout(Text1);
}

QString Form2::accountText() const
{
    return Text1->text();
}
