#SPDX - License - Identifier : GPL - 3.0 - or -later
#The holiday selection window and what it lists.
target_sources(
    tembrel_holidays PRIVATE PickedDays.h PickedDays.cpp FrmJoursFeries.h FrmJoursFeries.cpp)
    target_link_libraries(tembrel_holidays PUBLIC Qt6::Widgets)
