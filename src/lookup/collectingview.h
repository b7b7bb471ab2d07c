#pragma once

#include "query/extract.h"
#include "query/queryview.h"

#include <functional>
#include <optional>

#include <QHash>

// A query's window without a window: keeps the cells and the flower-vine values it is given,
// asks for no portraits, and reports the completion.
class CollectingView : public QueryView
{
public:
    explicit CollectingView(std::function<void()> onComplete) : m_onComplete(std::move(onComplete))
    { }

    void writeCell(const QString &key, const QString &text) override { m_cells.insert(key, text); }
    bool portraitsWanted() const override { return false; }
    void showPortrait(Portrait, const QString &) override { }
    void showFlowerVine(const FlowerVineValues &values) override { m_vine = values; }
    void completeQuery() override { m_onComplete(); }

    const QHash<QString, QString> &cells() const { return m_cells; }
    const std::optional<FlowerVineValues> &vine() const { return m_vine; }

private:
    std::function<void()> m_onComplete;
    QHash<QString, QString> m_cells;
    std::optional<FlowerVineValues> m_vine;
};
