// libtarnel-client against the station's own segment code: the station is
// stood in for by GenericSimShm with the claim a running station holds.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

#include "client/tarnel_client.h"
#include "client/tarnel_client.hpp"
#include "platform/SharedMemory.h"
#include "simlink/GenericSimShm.h"
#include "simlink/SharedField.h"
#include "simlink/tests/ShmTestUtil.h"

namespace {
// Polls every 5 ms for up to 5 s.
template <class F>
bool Until(F condition) {
  for (int i = 0; i < 1000; i++) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}
}  // namespace

namespace {

constexpr const char* kName = GenericSimShm::kName;

// A station as it holds the segment: counted, locked, and the single writer
// of its fields.
struct Station {
  GenericSimShm shm;
  bool claimed = shm.IsValid() && shm.ClaimRange(generic_area::kIterationCount, 4);
  uint8_t* Base() { return shm.GetBase(); }
};

tarnel_field Find(const char* key, const char* layout = nullptr, int32_t unit = -1) {
  tarnel_field field = nullptr;
  EXPECT_EQ(TARNEL_OK, tarnel_find(key, layout, unit, &field)) << key << ": " << tarnel_last_error();
  return field;
}

class TarnelClientTest : public ::testing::Test {
 protected:
  shm_test::ScopedPrefix prefix_;
  tarnel::Client client_;
};

TEST_F(TarnelClientTest, AttachCountsTheUserHoldsTheLockAndTheLastDetachRemovesTheName) {
  ASSERT_TRUE(tarnel::Ok(client_.Attach())) << tarnel::Error();
  ASSERT_TRUE(shm_test::Exists(kName));
  EXPECT_TRUE(platform::ShmHeld(shm_test::ObjectName(kName).c_str()));
  {
    Station station;  // attaches to the client's segment, version ok
    ASSERT_TRUE(station.claimed) << station.shm.GetErrorText();
    EXPECT_FALSE(station.shm.WasCreator());
    EXPECT_EQ(2, station.shm.GetUserCount());
    tarnel::Client second;
    ASSERT_TRUE(tarnel::Ok(second.Attach(prefix_.Prefix().c_str())));  // the prefix given, not taken from the environment
    EXPECT_EQ(3, station.shm.GetUserCount());
    second.Detach();
    EXPECT_EQ(2, station.shm.GetUserCount());
  }
  ASSERT_TRUE(shm_test::Exists(kName));  // the station was not the last user
  client_.Detach();
  EXPECT_FALSE(shm_test::Exists(kName));

  // A segment of another layout version is refused and left as it is.
  {
    GenericSimShm other(" another version");
    ASSERT_TRUE(other.IsValid());
    tarnel_client* refused = nullptr;
    EXPECT_EQ(TARNEL_E_VERSION, tarnel_attach(nullptr, &refused));
    EXPECT_EQ(nullptr, refused);
    EXPECT_NE(nullptr, std::strstr(tarnel_last_error(), "another version"));
    EXPECT_EQ(1, other.GetUserCount());
  }
  tarnel_client* none = nullptr;
  EXPECT_EQ(TARNEL_E_ARGUMENT, tarnel_attach(std::string(300, 'p').c_str(), &none));
  EXPECT_EQ(TARNEL_E_ARGUMENT, tarnel_attach(nullptr, nullptr));
}

TEST_F(TarnelClientTest, FieldsAreFoundByIdOrLegendInTheStationsLayoutAndUnit) {
  struct Case {
    const char* key;
    const char* layout;
    int32_t unit;
    int status;
    const char* id;  // the field found
  };
  const Case cases[] = {
      {"fuel.button0.position", nullptr, -1, TARNEL_OK, "fuel.button0.position"},
      {"FUEL.BUTTON0.POSITION", "A330", -1, TARNEL_OK, "fuel.button0.position"},
      {"L TK PUMP 1 lower lamp OFF", nullptr, -1, TARNEL_OK, "fuel.button0.lower_lamp"},
      {"fuel:R TK PUMP 1 position", nullptr, -1, TARNEL_OK, "fuel.button4.position"},
      {"PUMP 2 position", nullptr, -1, TARNEL_E_AMBIGUOUS, nullptr},  // two on the fuel panel
      {"station.iteration_count", "A320", 0, TARNEL_OK, "station.iteration_count"},
      {"oxygen.button1.position", "A320", -1, TARNEL_OK, "oxygen.button1.position"},
      {"fuel.button0.position", "A320", -1, TARNEL_E_NOT_FOUND, nullptr},  // one layout only
      {"fuel.button0.position", "B747", -1, TARNEL_E_ARGUMENT, nullptr},
      {"no such field", nullptr, -1, TARNEL_E_NOT_FOUND, nullptr},
  };
  for (const Case& c : cases) {
    tarnel_field field = nullptr;
    EXPECT_EQ(c.status, tarnel_find(c.key, c.layout, c.unit, &field)) << c.key << ": " << tarnel_last_error();
    tarnel_field_info info{};
    if (c.id == nullptr) {
      EXPECT_EQ(nullptr, field) << c.key;
      EXPECT_STRNE("", tarnel_last_error());
    } else {
      ASSERT_EQ(TARNEL_OK, tarnel_field_describe(field, &info)) << c.key;
      EXPECT_STREQ(c.id, info.id) << c.key;
    }
  }
  // The A320 layout and the station's unit give other offsets of the same id.
  tarnel_field_info a330{}, a320{}, unit0{}, station{};
  tarnel_field_describe(Find("oxygen.button1.position"), &a330);
  tarnel_field_describe(Find("oxygen.button1.position", "A320"), &a320);
  EXPECT_NE(a330.offset, a320.offset);
  tarnel_field_describe(Find("rmp.vhf1_active_frequency", nullptr, 0), &unit0);
  tarnel_field_describe(Find("rmp.vhf1_active_frequency"), &station);
  EXPECT_EQ(0, unit0.unit);
  EXPECT_EQ(1, station.station_uses);
  EXPECT_NE(unit0.offset, station.offset);
}

TEST_F(TarnelClientTest, SetWritesInOneAccessAndRefusesStationFieldsAndValuesThatDoNotFit) {
  ASSERT_TRUE(tarnel::Ok(client_.Attach())) << tarnel::Error();
  struct Case {
    const char* key;
    double value;
    int status;
  };
  const Case cases[] = {
      {"fuel.button0.upper_lamp", 1, TARNEL_OK},
      {"fuel.button0.upper_lamp", 255, TARNEL_OK},
      {"fuel.button0.upper_lamp", 256, TARNEL_E_RANGE},
      {"fuel.button0.upper_lamp", -1, TARNEL_E_RANGE},
      {"fuel.button0.upper_lamp", 0.5, TARNEL_E_RANGE},
      {"fuel.button0.position", 1, TARNEL_E_STATION_FIELD},
      {"station.iteration_count", 7, TARNEL_E_STATION_FIELD},
      {"rmp.vhf1_active_frequency", 118.7, TARNEL_OK},
      {"rmp.vhf1_active_frequency", NAN, TARNEL_E_RANGE},
      {"rmp.vhf1_active_frequency", 1e39, TARNEL_E_RANGE},
  };
  for (const Case& c : cases) {
    tarnel::Field field;
    ASSERT_TRUE(tarnel::Ok(field.Find(c.key))) << c.key;
    double before = 0, after = 0;
    ASSERT_EQ(TARNEL_OK, client_.Get(field, &before));
    EXPECT_EQ(c.status, client_.Set(field, c.value)) << c.key << " " << c.value;
    ASSERT_EQ(TARNEL_OK, client_.Get(field, &after));
    if (c.status == TARNEL_OK) {
      EXPECT_EQ(float(c.value), float(after)) << c.key;
    } else {
      EXPECT_EQ(before, after) << c.key << ": a refused set wrote";
      EXPECT_STRNE("", tarnel::Error());
    }
  }

  // A reader in another thread never sees half of a four-byte value.
  tarnel::Field frequency;
  ASSERT_TRUE(tarnel::Ok(frequency.Find("rmp.vhf1_active_frequency")));
  Station station;
  const uint8_t* bytes = station.Base() + frequency.Info().offset;
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done.load()) {
      const float v = shared_field::Load<float>(bytes);
      if (v != 118.7f && v != -1.5e-30f) torn++;
    }
  });
  for (int i = 0; i < 200000; i++) client_.Set(frequency, (i & 1) != 0 ? -1.5e-30 : 118.7);
  done = true;
  reader.join();
  EXPECT_EQ(0, torn.load());
}

TEST_F(TarnelClientTest, ChangesListTheStationsOutputsSinceTheLastCall) {
  Station station;
  ASSERT_TRUE(station.claimed);
  ASSERT_TRUE(tarnel::Ok(client_.Attach())) << tarnel::Error();
  tarnel_change changes[4];
  size_t count = 99;
  ASSERT_EQ(TARNEL_OK, client_.Changes(changes, 4, &count));
  EXPECT_EQ(0u, count);

  tarnel::Field button, knob, lamp;
  ASSERT_TRUE(tarnel::Ok(button.Find("fuel.button0.position")));
  ASSERT_TRUE(tarnel::Ok(knob.Find("air.knob0.position")));
  ASSERT_TRUE(tarnel::Ok(lamp.Find("fuel.button0.upper_lamp")));
  station.Base()[button.Info().offset] = 1;
  shared_field::Store<int32_t>(station.Base() + knob.Info().offset, -3);
  ASSERT_EQ(TARNEL_OK, client_.Set(lamp, 1));  // the simulation's own field: not a change
  // Room for one at a time: the other stays pending.
  ASSERT_EQ(TARNEL_OK, client_.Changes(changes, 1, &count));
  ASSERT_EQ(1u, count);
  EXPECT_EQ(button.Handle(), changes[0].field);
  EXPECT_EQ(0.0, changes[0].old_value);
  EXPECT_EQ(1.0, changes[0].new_value);
  ASSERT_EQ(TARNEL_OK, client_.Changes(changes, 4, &count));
  ASSERT_EQ(1u, count);
  EXPECT_EQ(knob.Handle(), changes[0].field);
  EXPECT_EQ(-3.0, changes[0].new_value);
  ASSERT_EQ(TARNEL_OK, client_.Changes(changes, 4, &count));
  EXPECT_EQ(0u, count);
  EXPECT_EQ(TARNEL_E_ARGUMENT, client_.Changes(nullptr, 4, &count));
}

TEST_F(TarnelClientTest, AStationRestartKeepsTheSegmentAndTheClientSeesTheNewStation) {
  ASSERT_TRUE(tarnel::Ok(client_.Attach())) << tarnel::Error();
  tarnel::Field button, lamp;
  ASSERT_TRUE(tarnel::Ok(button.Find("oxygen.button3.position")));
  ASSERT_TRUE(tarnel::Ok(lamp.Find("oxygen.button3.upper_lamp")));
  ASSERT_EQ(TARNEL_OK, client_.Set(lamp, 1));
  tarnel_station status{};
  ASSERT_EQ(TARNEL_OK, client_.Station(&status, 0));
  EXPECT_FALSE(status.alive);

  for (int run = 1; run <= 2; run++) {
    // The station is a process of its own: it ends as a station does.
    shm_test::Pipe stop;
    const pid_t pid = shm_test::StartChild([&] {
      stop.CloseWrite();
      Station station;
      if (!station.claimed || station.shm.WasCreator()) return 1;  // the segment was orphaned
      if (station.Base()[lamp.Info().offset] != 1) return 2;        // the simulation's lamp is lost
      station.Base()[button.Info().offset] = uint8_t(run);
      for (uint32_t i = 1; i < 2000; i++) {  // its loop, until told to end
        shared_field::Store<uint32_t>(station.Base() + generic_area::kIterationCount, i);
        pollfd wait{stop.fds[0], POLLIN, 0};
        if (::poll(&wait, 1, 5) != 0) return 0;
      }
      return 3;
    });
    stop.CloseRead();
    double value = 0;
    EXPECT_TRUE(Until([&] { return client_.Get(button, &value) == TARNEL_OK && value == run; }))
        << "run " << run << ": the client does not see the station's write";
    ASSERT_EQ(TARNEL_OK, client_.Station(&status, 1000));
    EXPECT_TRUE(status.alive && status.running) << "run " << run;
    stop.WriteByte(1);
    EXPECT_EQ(0, shm_test::WaitChild(pid)) << "run " << run;
    ASSERT_TRUE(shm_test::Exists(kName));
    ASSERT_EQ(TARNEL_OK, client_.Station(&status, 50));
    EXPECT_FALSE(status.alive || status.running);
  }
}

}  // namespace
