#pragma once

// The caches' reader-writer lock: boost::shared_mutex with the upward
// conversions (shared -> upgrade -> exclusive) the build protocol needs, and
// without thread interruption (no Boost.Thread library to link).

#ifndef BOOST_THREAD_PROVIDES_SHARED_MUTEX_UPWARDS_CONVERSIONS
#define BOOST_THREAD_PROVIDES_SHARED_MUTEX_UPWARDS_CONVERSIONS
#endif
#ifndef BOOST_THREAD_DONT_PROVIDE_INTERRUPTIONS
#define BOOST_THREAD_DONT_PROVIDE_INTERRUPTIONS
#endif

#include <boost/thread/shared_mutex.hpp>

namespace quelbrant {

using SharedMutex = boost::shared_mutex;

}  // namespace quelbrant
