#pragma once

#include "windows/windowframe.h"

class Picture;
class QPushButton;

// The status icon sets window: four sample sets of the status pictures that
// different servers return, and "Close" back to the Help window.
class Form3 : public WindowFrame
{
    Q_OBJECT

public:
    Form3();

private:
    void Command1_Click();

    QPushButton *Command1;
    Picture *Image4;
    Picture *Image3;
    Picture *Image2;
    Picture *Image1;
};
