#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <stop_token>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>

namespace velmix {

// From this many rows on, a step over every row of a table runs in two parts on two
// cores; below it, handing rows to another thread costs more than it saves.
constexpr std::ptrdiff_t PartedRows = 8192;

template<typename Work>
using WorkResult = typename std::conditional_t<std::is_invocable_v<Work, std::stop_token>,
                                               std::invoke_result<Work, std::stop_token>, std::invoke_result<Work>>::type;

// Work done on the second core while the caller does its own share: the work starts on a
// thread of its own, and take() waits for it and gives its result, or throws what it threw.
// Where no thread is wanted or none can be started, the work runs in take() instead, on the
// caller's thread, so the caller gets the same result either way. Work that takes a
// std::stop_token is told when a stop is requested; destroying the task requests one and
// waits for the work, which must not outlive what it reads.
template<typename Result>
class AsyncTask
{
public:
    template<typename Work>
    explicit AsyncTask(Work work, bool wantsThread = true)
    {
        if constexpr (std::is_invocable_v<Work, std::stop_token>)
            m_work = std::move(work);
        else
            m_work = [work = std::move(work)](std::stop_token) mutable { return work(); };
        if (!wantsThread)
            return;
        try {
            // The token is taken here: the work reads its own copy, never the source.
            m_thread = std::thread([this, stop = m_stop.get_token()] { runOnThread(stop); });
            m_hasThread = true;
        } catch (const std::system_error &) {
        }
    }
    AsyncTask(const AsyncTask &) = delete; // the thread holds on to this very object
    AsyncTask &operator=(const AsyncTask &) = delete;
    ~AsyncTask()
    {
        if (m_thread.joinable()) {
            m_stop.request_stop();
            m_thread.join();
        }
    }

    // Whether the work runs on a thread of its own rather than in take().
    [[nodiscard]] bool hasThread() const { return m_hasThread; }

    // Once only.
    Result take()
    {
        if (!m_thread.joinable())
            return std::exchange(m_work, nullptr)(m_stop.get_token());
        m_thread.join(); // everything the work wrote is visible from here on
        m_work = nullptr;
        if (m_error)
            std::rethrow_exception(m_error);
        if constexpr (!std::is_void_v<Result>)
            return std::move(*m_result);
    }

private:
    struct NoResult
    {
    };

    void runOnThread(std::stop_token stop)
    {
        try {
            if constexpr (std::is_void_v<Result>)
                m_work(std::move(stop));
            else
                m_result.emplace(m_work(std::move(stop)));
        } catch (...) {
            m_error = std::current_exception();
        }
    }

    std::function<Result(std::stop_token)> m_work;
    std::stop_source m_stop;
    [[no_unique_address]] std::conditional_t<std::is_void_v<Result>, NoResult, std::optional<Result>> m_result;
    std::exception_ptr m_error;
    bool m_hasThread = false;
    std::thread m_thread;
};

template<typename Work>
AsyncTask(Work) -> AsyncTask<WorkResult<Work>>;
template<typename Work>
AsyncTask(Work, bool) -> AsyncTask<WorkResult<Work>>;

} // namespace velmix
