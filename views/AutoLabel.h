// Labels that size themselves to their text, keeping their top-left corner.
#pragma once

#include <QFontMetrics>
#include <QLabel>
#include <QString>

inline void SetAutoText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

// Height of a one-line label in the given label's font.
inline int LabelHeight(const QLabel* label) {
    return QFontMetrics(label->font()).height();
}

inline QLabel* MakeAutoLabel(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new QLabel(parent);
    label->move(left, top);
    SetAutoText(label, text);
    return label;
}
