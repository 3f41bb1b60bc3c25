#include "windows/form2.h"

#include "lookup/hosts.h"
#include "windows/controls.h"
#include "windows/fonts.h"
#include "windows/pictures.h"

Form2::Form2()
    : ServiceWindow({"IRC Quorvane - By Telmik/Brasko", "irc/", "/Msntv/msnexe4.html", 1095,
                     AccountBox::MultiLine})
{
    Text1->setToolTip(QStringLiteral("Syntax for IRC is nick@ircserver, for example: ")
                      + Hosts::exampleIrcIdentity);
    const QFont caption = Fonts::caption();
    Label5 = add<Label>("Label5", {360, 1710, 615, 255}, QStringLiteral("Server"), caption);
    Label4 = add<Label>("Label4", {360, 1110, 495, 255}, QStringLiteral("IRC"), caption);
    const QPixmap fieldBar = Pictures::get(QStringLiteral("fieldbar"));
    Image4 = add<Picture>("Image4", {120, 1105, 1350, 225}, fieldBar);
    Image5 = add<Picture>("Image5", {120, 1705, 1350, 225}, fieldBar);
    const QFont legend = Fonts::dialogBold();
    Label3 = add<Label>("Label3", {3780, 840, 735, 255}, QStringLiteral("Offline"), legend);
    Label2 = add<Label>("Label2", {2670, 840, 855, 255}, QStringLiteral("Unknown"), legend);
    Label1 = add<Label>("Label1", {1800, 840, 855, 255}, QStringLiteral("Online"), legend);
    Image3 = add<Picture>("Image3", {2920, 480, 315, 330}, Pictures::get(QStringLiteral("unknown")));
    Image2 = add<Picture>("Image2", {3900, 480, 330, 330}, Pictures::get(QStringLiteral("irc-offline")));
    Image1 = add<Picture>("Image1", {1920, 480, 330, 330}, Pictures::get(QStringLiteral("irc-online")));
    nameBoxes(Label4, Label5);
}
