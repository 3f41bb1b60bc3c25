#include "windows/servicewindow.h"

#include "lookup/serverlist.h"
#include "webview/webbrowser.h"
#include "windows/controls.h"
#include "windows/fonts.h"
#include "windows/frmmain.h"
#include "windows/pictures.h"

ServiceWindow::ServiceWindow(const Layout &layout)
    : LookupWindow(QString::fromUtf8(layout.caption), QSize(4605, 4560))
{
    setBackground(Pictures::get(QStringLiteral("background")));
    setPointer(Pictures::pointer(QStringLiteral("butterfly")));

    const QStringList servers = ServerList::entries(QString::fromLatin1(layout.servicePath));
    Combo1 = add<ComboBox>("Combo1", {1680, 1680, 2775, 315}, servers, servers.first());
    Combo1->setToolTip(QStringLiteral("If using a different server status icons may be different. "
                                      "Check the help area for a list of icons."));
    addProgressBar({120, 3720, 4335, 255});
    addAccountBox(layout.accountBox);
    addWebBrowser({1680, 2280, 2775, 1215}, QString::fromLatin1(layout.startPath));
    addButtons(layout.backWidth);
    setTabOrder({WebBrowser1, Text1, Combo1});
}

void ServiceWindow::addAccountBox(AccountBox kind)
{
    const Twips::Rect rect{1680, 1080, 2775, 315};
    if (kind == AccountBox::MultiLine) {
        auto *box = add<MultiLineTextBox>("Text1", rect, QString());
        m_accountText = [box] { return box->text(); };
        Text1 = box;
    } else {
        auto *box = add<TextBox>("Text1", rect, QString());
        m_accountText = [box] { return box->text(); };
        Text1 = box;
    }
}

void ServiceWindow::addButtons(int backWidth)
{
    const QPixmap bar = Pictures::get(QStringLiteral("buttonbar"));
    const QFont caption = Fonts::caption();
    Label8 = add<PictureButton>("Label8", {200, 3240, 1335, 255}, QStringLiteral("Exit Program"), caption);
    Image8 = add<Picture>("Image8", {120, 3240, 1350, 210}, bar);
    Label7 = add<PictureButton>("Label7", {200, 2760, backWidth, 255}, QStringLiteral("Back"), caption);
    Image7 = add<Picture>("Image7", {120, 2760, 1350, 210}, bar);
    Label6 = add<PictureButton>("Label6", {200, 2280, 1215, 255}, QStringLiteral("Begin Lookup"), caption);
    Image6 = add<Picture>("Image6", {120, 2280, 1350, 210}, bar);
    connect(Label6, &Label::clicked, this, &ServiceWindow::Label6_Click);
    connect(Label7, &Label::clicked, this, &ServiceWindow::Label7_Click);
    connect(Label8, &Label::clicked, this, &ServiceWindow::Label8_Click);
}

void ServiceWindow::nameBoxes(Label *accountCaption, Label *serverCaption)
{
    captionBox(accountCaption, Text1);
    captionBox(serverCaption, Combo1);
}

QStringList ServiceWindow::boxTexts() const
{
    return {Combo1->currentText(), m_accountText()};
}

void ServiceWindow::Label6_Click()
{
    beginLookup();
}

void ServiceWindow::Label7_Click()
{
    goTo<frmmain>();
}

void ServiceWindow::Label8_Click()
{
    endProgram();
}
