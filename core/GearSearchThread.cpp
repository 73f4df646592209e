#include "core/GearSearchThread.h"

#include <new>
#include <optional>
#include <utility>

GearSearchThread::GearSearchThread(const GearCatalogue &categories, std::size_t limit, Done done)
    : m_limit(limit), m_done(std::move(done)),
      m_thread([this, &categories](std::stop_token stop) { run(stop, categories); })
{
}

GearSearchThread::~GearSearchThread()
{
    m_thread.request_stop();
    m_thread.join();
}

std::uint64_t GearSearchThread::Find(const QString &text)
{
    const std::lock_guard lock(m_mutex);
    m_text = text;
    m_waiting = true;
    const std::uint64_t request = ++m_latest;
    m_asked.notify_one();
    return request;
}

void GearSearchThread::run(std::stop_token stop, const GearCatalogue &categories)
{
    // Without the memory for the index every search finds nothing, rather than the program ending.
    std::optional<GearSearch> search;
    try {
        search.emplace(categories);
    } catch (const std::bad_alloc &) {
    }
    for (;;) {
        QString text;
        std::uint64_t request = 0;
        {
            std::unique_lock lock(m_mutex);
            if (!m_asked.wait(lock, stop, [this] { return m_waiting; }))
                return;
            text = std::exchange(m_text, QString());
            request = m_latest;
            m_waiting = false;
        }
        std::optional<GearSearch::Result> result;
        try {
            result = search ? search->Find(text, m_limit,
                                           [&] { return stop.stop_requested() || m_latest.load() != request; })
                            : GearSearch::Result();
        } catch (const std::bad_alloc &) {
            result = GearSearch::Result();
        }
        if (result)
            m_done(request, std::move(*result));
    }
}
