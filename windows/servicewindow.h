#pragma once

#include "windows/lookupwindow.h"

class ComboBox;
class Label;
class Picture;

// The ICQ and IRC lookup windows, near twins: a server box whose rows end in
// the window's service path, an account box, "Begin Lookup", "Back" and
// "Exit Program" on grey bars, and a web view for the status picture. The
// address is "http://", the server box text and the account box text.
//
// Each window lays out its own table; the pieces they share are added here,
// in the place the tables give them.
class ServiceWindow : public LookupWindow
{
    Q_OBJECT

protected:
    explicit ServiceWindow(const QString &caption);

    // `Combo1`, the server box listing the servers with the service path,
    // then the progress bar `pg` below it in the stacking.
    void addServerBoxAndProgressBar(const QString &servicePath);
    // The three picture buttons, top-most first: `Label8` on `Image8` (Exit
    // Program), `Label7` on `Image7` (Back, as wide as given), `Label6` on
    // `Image6` (Begin Lookup).
    void addButtons(int backWidth);
    // The focus order once the account box is there: web view, account box,
    // server box.
    void finishLayout(QWidget *accountBox);

    // Where both windows have their account box `Text1`.
    static constexpr Twips::Rect accountBox{1680, 1080, 2775, 315};

    QStringList boxTexts() const override;
    // The account box's text as it stands.
    virtual QString accountText() const = 0;

    ComboBox *Combo1 = nullptr;
    Label *Label8 = nullptr;
    Picture *Image8 = nullptr;
    Label *Label7 = nullptr;
    Picture *Image7 = nullptr;
    Label *Label6 = nullptr;
    Picture *Image6 = nullptr;

private:
    void Label6_Click();
    void Label7_Click();
    void Label8_Click();
};
