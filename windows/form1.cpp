#include "windows/form1.h"

#include "windows/controls.h"
#include "windows/fonts.h"
#include "windows/pictures.h"

Form1::Form1()
    : ServiceWindow({"ICQ Quorvane - By Telmik/Brasko", "icq/", "/Msntv/msnexe2.html", 975,
                     AccountBox::SingleLine})
{
    const QPixmap fieldBar = Pictures::get(QStringLiteral("fieldbar"));
    const QFont caption = Fonts::caption();
    const QFont legend = Fonts::dialogBold();
    Label4 = add<Label>("Label4", {360, 1710, 855, 375}, QStringLiteral("Server"), caption);
    Label3 = add<Label>("Label3", {360, 1105, 735, 255}, QStringLiteral("ICQ #"), caption);
    Image5 = add<Picture>("Image5", {120, 1705, 1350, 225}, fieldBar);
    Image4 = add<Picture>("Image4", {120, 1105, 1350, 225}, fieldBar);
    Label5 = add<Label>("Label5", {2670, 840, 975, 255}, QStringLiteral("Unknown"), legend);
    Image3 = add<Picture>("Image3", {2920, 480, 315, 330}, Pictures::get(QStringLiteral("unknown")));
    Label2 = add<Label>("Label2", {3780, 840, 615, 255}, QStringLiteral("Offline"), legend);
    Label1 = add<Label>("Label1", {1800, 840, 735, 255}, QStringLiteral("Online"), legend);
    Image2 = add<Picture>("Image2", {3900, 480, 315, 330}, Pictures::get(QStringLiteral("icq-offline")));
    Image1 = add<Picture>("Image1", {1920, 480, 330, 330}, Pictures::get(QStringLiteral("icq-online")));
    nameBoxes(Label3, Label4);
}
