#pragma once

#include "windows/lookupwindow.h"

class ComboBox;
class Label;
class Picture;
class QPushButton;
class TextBox;

// The messenger lookup window, shown at start-up: looks up the status of an
// MSN Messenger, AIM or Yahoo! account and leads to the other windows.
class frmmain : public LookupWindow
{
    Q_OBJECT

public:
    frmmain();

protected:
    QStringList boxTexts() const override;

private:
    void Label5_Click();
    void Label6_Click();
    void Label7_Click();
    void Label8_Click();
    void Command4_Click();
    void Command5_Click();

    ComboBox *Combo3;
    QPushButton *Command5;
    QPushButton *Command4;
    ComboBox *Combo2;
    ComboBox *Combo1;
    TextBox *Text1;
    Label *Label8;
    Picture *Image7;
    Label *Label7;
    Picture *Image6;
    Label *Label6;
    Picture *Image5;
    Label *Label5;
    Picture *Image4;
    Label *Label3;
    Label *Label2;
    Label *Label1;
    Picture *Image3;
    Picture *Image2;
    Picture *Image1;
    Label *Label4;
};
