#pragma once

#include "windows/lookupwindow.h"

#include <functional>

class ComboBox;
class Label;
class Picture;

// The ICQ and IRC lookup windows, near twins: a server box whose rows end in
// the window's service path, an account box, "Begin Lookup", "Back" and
// "Exit Program" on grey bars, and a web view for the status picture. The
// address is "http://", the server box text and the account box text.
//
// The controls both share are laid out here, at the top of the stacking;
// each window then adds its own captions and legend beneath them.
class ServiceWindow : public LookupWindow
{
    Q_OBJECT

protected:
    enum class AccountBox { SingleLine, MultiLine };

    struct Layout
    {
        const char *caption;
        const char *servicePath; // "icq/", "irc/"
        const char *startPath;   // the web view's start page on the group's server
        int backWidth;           // of the "Back" label, in twips
        AccountBox accountBox;
    };

    explicit ServiceWindow(const Layout &layout);

    QStringList boxTexts() const override;
    // Names the account and server boxes by the captions of their field bars.
    void nameBoxes(Label *accountCaption, Label *serverCaption);

    ComboBox *Combo1 = nullptr;
    QWidget *Text1 = nullptr;
    Label *Label8 = nullptr;
    Picture *Image8 = nullptr;
    Label *Label7 = nullptr;
    Picture *Image7 = nullptr;
    Label *Label6 = nullptr;
    Picture *Image6 = nullptr;

private:
    void addAccountBox(AccountBox kind);
    void addButtons(int backWidth);

    void Label6_Click();
    void Label7_Click();
    void Label8_Click();

    std::function<QString()> m_accountText;
};
