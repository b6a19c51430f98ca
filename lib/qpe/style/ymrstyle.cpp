// The "xp" style: the toolkit's widgets recognise it by its object name and
// leave some drawing to it (spin-box arrows, the combo box's list frame).
// No Q_OBJECT here: meta-object data must not live in a library that is
// unloaded while the program runs.
#include <QProxyStyle>
#include <QStyleFactory>

namespace {

class YmrStyle : public QProxyStyle
{
public:
    YmrStyle()
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    {
        setObjectName(QStringLiteral("xp"));
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) QStyle *ymr_style_instantiate()
{
    return new YmrStyle;
}
