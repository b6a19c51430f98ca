#ifndef CATEGORIESMANAGER_H
#define CATEGORIESMANAGER_H

#include "qpe/categories.h"

#include <QColor>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVector>

// Bridge to the platform's own categories (not the program's category
// store, CategoryManager): labels and ids of the application's platform
// categories, with a text and a background colour per id kept in the
// settings group "CategoriesColors". Only the conversion of data of the
// earlier generation uses it. One instance, a child of the application
// object, made on first use by any of the static operations.
class CategoriesManager : public QObject
{
    Q_OBJECT
public:
    ~CategoriesManager() override;

    static CategoriesManager *instance();

    // "" when the id names no category of the application.
    static QString label(int id);
    static QString label(const QString &appName, int id);
    static int id(const QString &label);
    // Reloads everything, then gives the sorted labels with "Unfiled" last.
    static QStringList labels();

    static QColor backgroundColor(const QString &label);
    static QColor foregroundColor(const QString &label);
    // The colour of the first id (of id 0 when there is none).
    static QColor backgroundColor(const QVector<int> &ids);
    static QColor foregroundColor(const QVector<int> &ids);
    static void setBackgroundColor(const QString &label, const QColor &color);
    static void setForegroundColor(const QString &label, const QColor &color);

    // Adds the label to the application's platform categories and saves
    // them; the labels and colours are not reloaded.
    static int addCategory(const QString &label);
    static void refresh();

private:
    CategoriesManager();

    void reload();
    void writeColors();
    QColor colorOf(const QHash<int, QRgb> &colors, int id, const QColor &deflt) const;

    QHash<int, QRgb> m_foregroundColors;
    QHash<int, QRgb> m_backgroundColors;
    Categories m_categories;
    QStringList m_labelList;

    static CategoriesManager *s_instance;
};

#endif
