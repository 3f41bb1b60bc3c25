#pragma once

#include "windows/windowframe.h"

class Label;
class Picture;
class QPlainTextEdit;

// The Help window: the usage text, a legend of the status pictures, the way
// to the status icon sets, and "OK" back to the main window.
class frmAbout1 : public WindowFrame
{
    Q_OBJECT

public:
    frmAbout1();

private:
    void Form_Click();
    void Label1_Click();
    void Label6_Click();
    void Label7_Click();

    QPlainTextEdit *Text1;
    Label *Label7;
    Picture *Image15;
    Label *Label6;
    Label *Label5;
    Label *Label4;
    Label *Label3;
    Label *Label2;
    Label *Label1;
    Picture *Image14;
    Picture *Image13;
    Picture *Image12;
    Picture *Image11;
    Picture *Image10;
    Picture *Image9;
    Picture *Image8;
    Picture *Image7;
    Picture *Image6;
    Picture *Image5;
    Picture *Image4;
    Picture *Image3;
    Picture *Image2;
    Picture *Image1;
};
