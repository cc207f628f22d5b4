#pragma once
// A piece of behaviour the program supplies and a test may replace: a message sink, a dialog
// runner, a file-name question. Replacing returns what was there, so it can be put back; the
// scoped form puts it back by itself.

#include <utility>

template <typename F>
class Override {
public:
    explicit Override(F standard = F()) : m_standard(std::move(standard)) {}

    // The replacement while there is one, else the program's own.
    const F &get() const { return m_current ? m_current : m_standard; }

    template <typename... Args>
    decltype(auto) operator()(Args &&...args) const
    {
        return get()(std::forward<Args>(args)...);
    }

    // Replaces it; an empty value goes back to the program's own. Returns the replacement
    // that was in force before (empty when there was none).
    F set(F replacement)
    {
        F previous = std::move(m_current);
        m_current = std::move(replacement);
        return previous;
    }

    // Restores what was there when it ends.
    class Scoped {
    public:
        Scoped(Override &target, F replacement)
            : m_target(&target), m_previous(target.set(std::move(replacement)))
        {
        }
        Scoped(Scoped &&other) noexcept
            : m_target(std::exchange(other.m_target, nullptr)), m_previous(std::move(other.m_previous))
        {
        }
        Scoped(const Scoped &) = delete;
        Scoped &operator=(const Scoped &) = delete;
        Scoped &operator=(Scoped &&) = delete;
        ~Scoped()
        {
            if (m_target)
                m_target->set(std::move(m_previous));
        }

    private:
        Override *m_target;
        F m_previous;
    };

    [[nodiscard]] Scoped scoped(F replacement) { return Scoped(*this, std::move(replacement)); }

private:
    F m_standard;
    F m_current;
};
