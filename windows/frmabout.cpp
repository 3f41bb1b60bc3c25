#include "windows/frmabout.h"

#include "lookup/hosts.h"
#include "webview/webbrowser.h"
#include "windows/controls.h"
#include "windows/fonts.h"
#include "windows/frmabout1.h"
#include "windows/frmmain.h"
#include "windows/pictures.h"

frmAbout::frmAbout() : WindowFrame(QStringLiteral("About/Help "), QSize(7440, 3705))
{
    setBackground(Pictures::get(QStringLiteral("about-background")));
    setPointer(Pictures::pointer(QStringLiteral("ybubble")));
    setFont(Fonts::verdana());
    const QPixmap bar = Pictures::get(QStringLiteral("buttonbar"));
    const QFont caption = Fonts::caption();

    WebBrowser1 = add<WebBrowser>("WebBrowser1", {120, 480, 7215, 2055},
                                  Hosts::address(Hosts::authorSiteWww,
                                                 QStringLiteral("/Msntv/statusexe2.html")));
    Label7 = add<Label>("Label7", {360, 45, 2775, 255}, QStringLiteral("Server Status Page"), caption);
    Label6 = add<Label>("Label6", {2400, 3120, 2175, 375}, Hosts::groupServer, caption);
    Label5 = add<Label>("Label5", {120, 3120, 2295, 375},
                        QStringLiteral("Visit: ") + Hosts::authorSite + QStringLiteral(" or "), caption);
    Label4 = add<Label>("Label4", {120, 2880, 3135, 375}, QStringLiteral("By: Telmik"), caption);
    Label3 = add<PictureButton>("Label3", {6000, 2880, 1095, 255}, QStringLiteral("      OK"), caption);
    Image2 = add<Picture>("Image2", {5880, 2880, 1350, 210}, bar);
    Label2 = add<PictureButton>("Label2", {4560, 2880, 1095, 255}, QStringLiteral("     Help"), caption);
    Image1 = add<Picture>("Image1", {4440, 2880, 1350, 210}, bar);
    Label1 = add<Label>("Label1", {120, 2640, 3015, 375}, QStringLiteral("Quorvane"), caption);
    setTabOrder({WebBrowser1});
    WebBrowser1->describe(Label7->text());

    connect(this, &WindowFrame::surfaceClicked, this, &frmAbout::Form_Click);
    connect(Label1, &Label::clicked, this, &frmAbout::Label1_Click);
    connect(Label2, &Label::clicked, this, &frmAbout::Label2_Click);
    connect(Label3, &Label::clicked, this, &frmAbout::Label3_Click);
    connect(Label4, &Label::clicked, this, &frmAbout::Label4_Click);
    connect(Label5, &Label::clicked, this, &frmAbout::Label5_Click);
    connect(Label6, &Label::clicked, this, &frmAbout::Label6_Click);
}

void frmAbout::openMsn2Page(const QString &host)
{
    openPage(Hosts::address(host, QStringLiteral("/Msntv/msn2.html")));
}

void frmAbout::Form_Click()
{
    returnTo<frmmain>();
}

void frmAbout::Label1_Click()
{
    openMsn2Page(Hosts::authorSite);
}

void frmAbout::Label2_Click()
{
    goTo<frmAbout1>();
}

void frmAbout::Label3_Click()
{
    goTo<frmmain>();
}

void frmAbout::Label4_Click()
{
    // The author's credit leads to the group's server, not to the author's site.
    openMsn2Page(Hosts::groupServer);
}

void frmAbout::Label5_Click()
{
    openMsn2Page(Hosts::authorSite);
}

void frmAbout::Label6_Click()
{
    openMsn2Page(Hosts::groupServer);
}
