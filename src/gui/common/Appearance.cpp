#include "gui/common/Appearance.h"

#include <QApplication>
#include <QFont>

void Appearance::install()
{
    const QString family = QStringLiteral("ＭＳ Ｐゴシック");
    QFont::insertSubstitutions(family, {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    QApplication::setFont(QFont(family, 9));
}
