#pragma once

#include "Ref.h"

#include <utility>

namespace fw {

// A module global that holds one counted reference, nil until filled. Its
// finaliser Exit() first sets the global to nil and only then releases what it
// held, so that code run by the release finds the global already empty.
template<typename T>
class ModuleGlobal {
public:
    const RefPtr<T>& Get() const { return m_value; }
    void Set(RefPtr<T> value) { m_value = std::move(value); }
    bool IsNil() const { return !m_value; }

    void Exit()
    {
        RefPtr<T> taken = std::exchange(m_value, nullptr);
        taken.Clear();
    }

private:
    RefPtr<T> m_value;
};

}
