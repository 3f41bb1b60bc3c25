#include "support/layout.h"

#include "windows/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

QString shownText(QWidget *control)
{
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<QPushButton *>(control))
        return button->text();
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return combo->currentText();
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        return edit->text();
    if (auto *text = qobject_cast<QPlainTextEdit *>(control))
        return text->toPlainText();
    return {};
}

QStringList layoutDifferences(QWidget *window, const QList<ControlRow> &table)
{
    QStringList differences;
    QStringList tableOrder;
    for (const ControlRow &row : table) {
        tableOrder << row.name;
        auto *control = window->findChild<QWidget *>(QString::fromLatin1(row.name));
        if (!control) {
            differences << QStringLiteral("%1 missing").arg(row.name);
            continue;
        }
        const QRect expected = Twips::Rect{row.left, row.top, row.width, row.height}.toPixels();
        if (control->geometry() != expected) {
            differences << QStringLiteral("%1 at %2,%3 %4x%5, not %6,%7 %8x%9")
                               .arg(row.name)
                               .arg(control->x()).arg(control->y())
                               .arg(control->width()).arg(control->height())
                               .arg(expected.x()).arg(expected.y())
                               .arg(expected.width()).arg(expected.height());
        }
        if (shownText(control) != row.text)
            differences << QStringLiteral("%1 shows \"%2\", not \"%3\"").arg(row.name, shownText(control), row.text);
        if (window->isVisible() && !control->isVisible())
            differences << QStringLiteral("%1 hidden").arg(row.name);
    }
    QStringList stacking; // top-most first
    for (QObject *child : window->children()) {
        if (child->isWidgetType() && tableOrder.contains(child->objectName()))
            stacking.prepend(child->objectName());
    }
    if (stacking != tableOrder)
        differences << QStringLiteral("stacking %1").arg(stacking.join(' '));
    return differences;
}

QStringList tabOrder(QWidget *window, QWidget *first, int count)
{
    QStringList order;
    QWidget *widget = first;
    for (int step = 0; step < count; ++step) {
        order << widget->objectName();
        do {
            widget = widget->nextInFocusChain();
        } while (widget != first
                 && (widget->objectName().isEmpty() || !(widget->focusPolicy() & Qt::TabFocus)
                     || widget->parentWidget() != window));
    }
    return order;
}
