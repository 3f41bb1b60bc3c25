#pragma once

#include "windows/servicewindow.h"

class MultiLineTextBox;

// The IRC lookup window: looks up the status of an identity nick@ircserver.
class Form2 : public ServiceWindow
{
    Q_OBJECT

public:
    Form2();

protected:
    QString accountText() const override;

private:
    MultiLineTextBox *Text1;
    Label *Label5;
    Label *Label4;
    Picture *Image4;
    Picture *Image5;
    Label *Label3;
    Label *Label2;
    Label *Label1;
    Picture *Image3;
    Picture *Image2;
    Picture *Image1;
};
