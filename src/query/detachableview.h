#pragma once

#include "query/queryview.h"

// The window as a running query reaches it: every call is passed on until detach(), and none
// after it. A query whose window has gone keeps running to its end without touching it, and
// no step has to remember to check.
class DetachableView final : public QueryView
{
public:
    explicit DetachableView(QueryView *target) : m_target(target) { }

    void detach() { m_target = nullptr; }
    bool isDetached() const { return !m_target; }

    void writeCell(const QString &key, const QString &text) override
    {
        if (m_target)
            m_target->writeCell(key, text);
    }
    // A gone window wants nothing, so no portrait is fetched or written for it.
    bool portraitsWanted() const override { return m_target && m_target->portraitsWanted(); }
    void showPortrait(Portrait which, const QString &filePath) override
    {
        if (m_target)
            m_target->showPortrait(which, filePath);
    }
    void showFlowerVine(const FlowerVineValues &values) override
    {
        if (m_target)
            m_target->showFlowerVine(values);
    }
    void completeQuery() override
    {
        if (m_target)
            m_target->completeQuery();
    }

private:
    QueryView *m_target;
};
