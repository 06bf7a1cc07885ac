#pragma once
// The one shape of every Scoped* installer of the fakes: a script shared by
// the installer and its fakes, each fake installed into its seam for the
// life of the installer, and whatever was installed before put back at the
// end. A fake names its seam's interface as `Seam`; the seam's own install()
// (found through that interface's namespace) hands back the one replaced.
#include <memory>
#include <tuple>

namespace testing_support {

template <class Script, class... Fakes> class ScopedSeam {
public:
    ScopedSeam()
        : s_(std::make_shared<Script>()),
          previous_{install(std::unique_ptr<typename Fakes::Seam>(std::make_unique<Fakes>(s_)))...} {}
    ~ScopedSeam() {
        std::apply([](auto&... previous) { (install(std::move(previous)), ...); }, previous_);
    }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

    Script& script() { return *s_; }
    Script* operator->() { return s_.get(); }

protected:
    std::shared_ptr<Script> s_;

private:
    std::tuple<decltype(install(std::unique_ptr<typename Fakes::Seam>()))...> previous_;
};

} // namespace testing_support
