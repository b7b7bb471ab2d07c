#pragma once

#include "query/queryview.h"

#include <functional>

// A query's window without a window: asks for no portraits and reports the completion. The
// values stay in the query's record, which mirelo-lookup reads.
class CollectingView : public QueryView
{
public:
    explicit CollectingView(std::function<void()> onComplete) : m_onComplete(std::move(onComplete))
    { }

    void writeCell(const QString &, const QString &) override { }
    bool portraitsWanted() const override { return false; }
    void showPortrait(Portrait, const QString &) override { }
    void showFlowerVine(const FlowerVineValues &) override { }
    void completeQuery() override { m_onComplete(); }

private:
    std::function<void()> m_onComplete;
};
