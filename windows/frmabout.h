#pragma once

#include "windows/windowframe.h"

class Label;
class Picture;
class WebBrowser;

// The About window: the server status page in a web view, the product title,
// the author's credit and links, and the "Help" and "OK" picture buttons.
class frmAbout : public WindowFrame
{
    Q_OBJECT

public:
    frmAbout();

private:
    void openMsn2Page(const QString &host);
    void Form_Click();
    void Label1_Click();
    void Label2_Click();
    void Label3_Click();
    void Label4_Click();
    void Label5_Click();
    void Label6_Click();

    WebBrowser *WebBrowser1;
    Label *Label7;
    Label *Label6;
    Label *Label5;
    Label *Label4;
    Label *Label3;
    Picture *Image2;
    Label *Label2;
    Picture *Image1;
    Label *Label1;
};
