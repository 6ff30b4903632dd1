#pragma once

#include "RegExp.h"

#include <memory>

// The expression and its match index shared by the find and replace dialogs. Rebuilt on the next
// regular-expression step once dirty; keys, undo snapshots and find-box edits make it dirty.
struct ExpressionCache {
    std::unique_ptr<RegExp> expression;
    RegExp::MatchIndex matches;
    int matchIndex = 0;
    bool lastStepUpward = false;
    bool dirty = true;

    void markDirty() { dirty = true; }
};
