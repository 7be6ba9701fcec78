// Two generic areas under two prefixes on this machine, standing for the
// simulation's machine and the station's, and a tarnel-bridge process on
// each, talking over loopback in a DDS domain of their own: one that no other
// pair on this machine holds (a lock file per domain id), so that parallel
// runs never meet.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "simlink/GenericSimShm.h"
#include "simlink/SharedField.h"
#include "tests/support/ProcessTestSupport.h"
#include "tests/support/ShmTestPrefix.h"

namespace bridge_test {

class BridgePair {
 public:
  BridgePair() {
    // Domain ids 1 to 232, from one derived from the pid on.
    for (uint32_t step = 0; step < 232 && domainLock_ < 0; step++) {
      domain_ = 1 + (static_cast<uint32_t>(::getpid()) + step) % 232;
      const std::string lock = "/tmp/tarnel_bridge_test_domain_" + std::to_string(domain_);
      domainLock_ = ::open(lock.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
      if (domainLock_ >= 0 && ::flock(domainLock_, LOCK_EX | LOCK_NB) != 0) {
        ::close(domainLock_);
        domainLock_ = -1;
      }
    }
    simPrefix_ = test_support::UseUniqueShmPrefix();
    sim_ = std::make_unique<GenericSimShm>();
    stationPrefix_ = test_support::UseUniqueShmPrefix();
    station_ = std::make_unique<GenericSimShm>();
  }
  ~BridgePair() {
    simBridge.Stop();
    stationBridge.Stop();
    std::remove(Log(true).c_str());
    std::remove(Log(false).c_str());
    std::remove((Log(true) + "2").c_str());
    if (domainLock_ >= 0) ::close(domainLock_);
  }
  BridgePair(const BridgePair&) = delete;
  BridgePair& operator=(const BridgePair&) = delete;

  bool SegmentsValid() const { return sim_->IsValid() && station_->IsValid(); }
  uint8_t* SimBase() const { return sim_->GetBase(); }
  uint8_t* StationBase() const { return station_->GetBase(); }
  GenericSimShm& StationSegment() { return *station_; }
  const std::string& StationPrefix() const { return stationPrefix_; }

  // Starts the bridge of one side; extra: one more argument; another: a
  // second bridge of that side, logging apart.
  bool Start(bool simSide, const std::string& extra = "", process_test::ChildProcess* another = nullptr) {
    std::vector<std::string> args = {process_test::BinPath("tarnel-bridge"), "--role", simSide ? "sim" : "station",
                                     "--domain", std::to_string(domain_), "--interface", "127.0.0.1", "--peer",
                                     "127.0.0.1"};
    if (!extra.empty()) args.push_back(extra);
    const std::string prefix = "TARNEL_SHM_PREFIX=" + (simSide ? simPrefix_ : stationPrefix_);
    if (another != nullptr) return another->Start(args, {prefix}, Log(simSide) + "2");
    return (simSide ? simBridge : stationBridge).Start(args, {prefix}, Log(simSide));
  }
  bool StartBoth() { return Start(true) && Start(false); }
  // Starts a bridge of one side on the segment under prefix, logging to log.
  bool StartOn(bool simSide, const std::string& prefix, process_test::ChildProcess& process, const std::string& log) {
    return process.Start({process_test::BinPath("tarnel-bridge"), "--role", simSide ? "sim" : "station", "--domain",
                          std::to_string(domain_), "--interface", "127.0.0.1", "--peer", "127.0.0.1"},
                         {"TARNEL_SHM_PREFIX=" + prefix}, log);
  }
  uint32_t Domain() const { return domain_; }
  GenericSimShm& SimSegment() { return *sim_; }

  // What a bridge wrote on stdout and stderr so far.
  std::string Output(bool simSide, bool another = false) const {
    std::ifstream in(Log(simSide) + (another ? "2" : ""));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Waits until a value written on one side shows on the other, in both
  // directions (the iteration count crosses to the simulation, the paint
  // inhibit to the station); leaves both at 0.
  bool WaitConnected(int timeoutMs) {
    Put<uint32_t>(StationBase(), generic_area::kIterationCount, 0x5A5A5A5A);
    Put<uint8_t>(SimBase(), generic_area::kPaintInhibit, 0x5A);
    const bool up = process_test::WaitFor(
        [&] {
          return Get<uint32_t>(SimBase(), generic_area::kIterationCount) == 0x5A5A5A5A &&
                 Get<uint8_t>(StationBase(), generic_area::kPaintInhibit) == 0x5A;
        },
        timeoutMs);
    Put<uint32_t>(StationBase(), generic_area::kIterationCount, 0);
    Put<uint8_t>(SimBase(), generic_area::kPaintInhibit, 0);
    return up && process_test::WaitFor(
                     [&] {
                       return Get<uint32_t>(SimBase(), generic_area::kIterationCount) == 0 &&
                              Get<uint8_t>(StationBase(), generic_area::kPaintInhibit) == 0;
                     },
                     timeoutMs);
  }

  template <class T>
  static T Get(const uint8_t* base, uint32_t offset) {
    return shared_field::Load<T>(base + offset);
  }
  template <class T>
  static void Put(uint8_t* base, uint32_t offset, T value) {
    shared_field::Store<T>(base + offset, value);
  }

  process_test::ChildProcess simBridge;
  process_test::ChildProcess stationBridge;

 private:
  std::string Log(bool simSide) const {
    return "/tmp/" + (simSide ? simPrefix_ : stationPrefix_) + "bridge.log";
  }

  uint32_t domain_ = 0;
  int domainLock_ = -1;
  std::string simPrefix_;
  std::string stationPrefix_;
  std::unique_ptr<GenericSimShm> sim_;
  std::unique_ptr<GenericSimShm> station_;
};

}  // namespace bridge_test
