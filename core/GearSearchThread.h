#pragma once

#include "core/GearSearch.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// Runs the searches of a GearSearch on a thread of its own, so that typing never waits for one: a search still
// running when the next is asked for gives way to it. The search's index is built there too, when the thread starts.
// The catalogue must not change while the thread lives.
class GearSearchThread
{
public:
    // Called on the search thread with each finished search and the number Find gave it.
    using Done = std::function<void(std::uint64_t request, GearSearch::Result result)>;

    GearSearchThread(const GearCatalogue &categories, std::size_t limit, Done done);
    // Ends the running search, if any, and waits for the thread.
    ~GearSearchThread();
    GearSearchThread(const GearSearchThread &) = delete;
    GearSearchThread &operator=(const GearSearchThread &) = delete;

    // Asks for a search of `text` in place of any earlier one; returns its number.
    std::uint64_t Find(const QString &text);

private:
    void run(std::stop_token stop, const GearCatalogue &categories);

    const std::size_t m_limit;
    const Done m_done;
    std::mutex m_mutex;
    std::condition_variable_any m_asked;
    QString m_text;                          // the text of the latest request, until the thread takes it
    bool m_waiting = false;                  // whether that request waits for the thread
    std::atomic<std::uint64_t> m_latest = 0; // the latest request's number
    std::jthread m_thread;                   // last: it starts once everything else is there
};
