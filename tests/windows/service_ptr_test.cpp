// The counted reference: every reference it takes is given back exactly once, and none is taken
// where a reference is handed over.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "host/host_interfaces.h"
#include "tests/windows/test_registry.h"

namespace pyrelle {
namespace {

using test::counting_service;

TEST(ServicePtr, AssignAddsOneReferenceAndReleasesThePreviousObjectOnce)
{
    counting_service first;
    counting_service second;
    {
        service_ref held;
        held.assign(&first);
        EXPECT_EQ(held.get(), &first);
        EXPECT_EQ(first.references(), 1);

        held.assign(&second);
        EXPECT_EQ(held.get(), &second);
        EXPECT_EQ(first.references(), 0);
        EXPECT_EQ(first.releases(), 1u);
        EXPECT_EQ(second.references(), 1);

        held.assign(nullptr);
        EXPECT_EQ(held.get(), nullptr);
        EXPECT_EQ(second.references(), 0);
    }
    EXPECT_EQ(first.releases(), 1u);
    EXPECT_EQ(second.releases(), 1u);
}

TEST(ServicePtr, AssigningTheHeldObjectAgainKeepsItAlive)
{
    // Releasing before adding would let an object whose only reference is this one die here.
    counting_service service;
    service_ref held;
    held.assign(&service);
    held.assign(held.get());
    EXPECT_EQ(held.get(), &service);
    EXPECT_EQ(service.references(), 1);
    EXPECT_GE(service.add_refs(), 2u);
    EXPECT_EQ(service.releases(), service.add_refs() - 1);
}

TEST(ServicePtr, AdoptTakesOverAReferenceWithoutAddingOne)
{
    counting_service old_service;
    counting_service new_service;
    new_service.add_ref();  // the reference a host's create_instance hands out
    service_ref held;
    held.assign(&old_service);

    held.adopt(&new_service);
    EXPECT_EQ(held.get(), &new_service);
    EXPECT_EQ(new_service.add_refs(), 1u);
    EXPECT_EQ(new_service.references(), 1);
    EXPECT_EQ(old_service.references(), 0);

    held.reset();
    EXPECT_EQ(held.get(), nullptr);
    EXPECT_EQ(new_service.references(), 0);
    held.reset();  // empty: nothing more to release
    EXPECT_EQ(new_service.releases(), 1u);
}

TEST(ServicePtr, EndOfLifeReleasesAlsoWhileAnExceptionUnwinds)
{
    counting_service service;
    {
        service_ref held;
        held.assign(&service);
    }
    EXPECT_EQ(service.references(), 0);

    EXPECT_THROW(
        {
            service_ref held;
            held.assign(&service);
            throw std::runtime_error("host failure");
        },
        std::runtime_error);
    EXPECT_EQ(service.references(), 0);
    EXPECT_EQ(service.releases(), 2u);
}

TEST(ServicePtr, MovingHandsTheReferenceOverWithoutCounting)
{
    counting_service moved;
    counting_service overwritten;
    service_ref source;
    source.assign(&moved);

    service_ref constructed(std::move(source));
    EXPECT_EQ(source.get(), nullptr);
    EXPECT_EQ(constructed.get(), &moved);

    service_ref target;
    target.assign(&overwritten);
    target = std::move(constructed);
    EXPECT_EQ(target.get(), &moved);
    EXPECT_EQ(overwritten.references(), 0);
    EXPECT_EQ(moved.add_refs(), 1u);
    EXPECT_EQ(moved.releases(), 0u);
}

TEST(ServicePtr, ReleaseHandsOverAndPutEmptiesFirst)
{
    counting_service service;
    service_ref held;
    held.assign(&service);

    service_base* const handed_over = held.release();
    EXPECT_EQ(handed_over, &service);
    EXPECT_EQ(held.get(), nullptr);
    EXPECT_EQ(service.references(), 1);

    held.adopt(handed_over);
    service_ref* const slot = held.put();
    EXPECT_EQ(slot, &held);
    EXPECT_EQ(held.get(), nullptr);
    EXPECT_EQ(service.references(), 0);
}

}  // namespace
}  // namespace pyrelle
