#pragma once

#include <QProxyStyle>

// Combo boxes open a plain list popup instead of a menu-style popup (as macOS would).
class NonPopupComboBoxStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
