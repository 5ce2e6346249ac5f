// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimCar.h"
#include "sim/SimShaft.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The floors at which the car opens its door during the given time.
std::vector<int> Stops(CSimCar& car, int ms)
{
    std::vector<int> stops;
    CSimCar::Door before = car.DoorState();
    for (int t = 0; t < ms; t += 100) {
        car.Tick(100);
        if (car.DoorState() == CSimCar::Door::Opening && before != CSimCar::Door::Opening)
            stops.push_back(car.Floor());
        before = car.DoorState();
    }
    return stops;
}

CSimCar CarWithFloors(int floors)
{
    CSimCar car;
    car.SetFloorCount(floors);
    return car;
}

TEST(SimCarTest, ServesCallsInCollectiveOrder)
{
    CSimCar car = CarWithFloors(10);
    car.RegisterCall(CSimCar::CarCall, 5);
    car.RegisterCall(CSimCar::UpCall, 3);
    car.RegisterCall(CSimCar::DownCall, 4); // served on the way back down
    EXPECT_EQ(Stops(car, 60000), (std::vector<int>{3, 5, 4}));
    for (int floor = 1; floor <= 10; ++floor)
        EXPECT_FALSE(car.HasCall(CSimCar::CarCall, floor) || car.HasCall(CSimCar::UpCall, floor)
                     || car.HasCall(CSimCar::DownCall, floor));
    EXPECT_EQ(car.RunCount(), 3);
}

TEST(SimCarTest, StopsOnTheWayForACallRegisteredWhileRunning)
{
    CSimCar car = CarWithFloors(12);
    car.RegisterCall(CSimCar::CarCall, 12);
    car.Tick(1000);
    ASSERT_TRUE(car.IsRunning());
    car.RegisterCall(CSimCar::CarCall, 8);
    car.RegisterCall(CSimCar::DownCall, 9); // the other way: not on this run
    EXPECT_EQ(Stops(car, 90000), (std::vector<int>{8, 12, 9}));
}

TEST(SimCarTest, StopsExactlyAtTheFloorLevelAndOpensTheDoor)
{
    CSimCar car = CarWithFloors(6);
    car.RegisterCall(CSimCar::CarCall, 6);
    car.Tick(60000 / 4);
    EXPECT_EQ(car.PositionMm(), CSimShaft::FloorLevel(6));
    EXPECT_EQ(car.SpeedMmPerSecond(), 0);
    EXPECT_TRUE(car.IsInDoorZone());
    car.Tick(60000);
    EXPECT_EQ(car.DoorState(), CSimCar::Door::Closed);
    EXPECT_EQ(car.Direction(), 0);
}

TEST(SimCarTest, StaysWhileNotServingAndDropsCallsAboveANewTop)
{
    CSimCar car = CarWithFloors(10);
    car.SetServing(false);
    car.RegisterCall(CSimCar::CarCall, 9);
    car.Tick(10000);
    EXPECT_FALSE(car.IsRunning());
    EXPECT_EQ(car.Floor(), 1);

    car.SetFloorCount(8);
    EXPECT_FALSE(car.HasCall(CSimCar::CarCall, 9));
    EXPECT_FALSE(car.RegisterCall(CSimCar::CarCall, 9));
    EXPECT_FALSE(car.RegisterCall(CSimCar::DownCall, 1));
    EXPECT_FALSE(car.RegisterCall(CSimCar::CarCall, 49));
}

TEST(SimCarTest, LearningRunGoesDownThenUpWithoutOpeningTheDoor)
{
    CSimCar car = CarWithFloors(5);
    car.RegisterCall(CSimCar::CarCall, 3);
    car.Tick(30000);
    car.StartLearningRun();
    std::vector<int> stops = Stops(car, 120000);
    EXPECT_TRUE(stops.empty());
    EXPECT_TRUE(car.TakeLearningFinished());
    EXPECT_FALSE(car.TakeLearningFinished());
    EXPECT_EQ(car.Floor(), 5);
}

} // namespace
