#SPDX - License - Identifier : GPL - 3.0 - or -later
#The sound device control and its two backends(Qt Multimedia, virtual for tests).
target_sources(tembrel_shell PRIVATE ${CMAKE_CURRENT_LIST_DIR} /
               MMControl.h ${CMAKE_CURRENT_LIST_DIR} / MMControl.cpp ${CMAKE_CURRENT_LIST_DIR} /
               SoundBackend.h ${CMAKE_CURRENT_LIST_DIR} /
               QtSoundBackend.h ${CMAKE_CURRENT_LIST_DIR} /
               QtSoundBackend.cpp ${CMAKE_CURRENT_LIST_DIR} /
               VirtualSoundBackend.h ${CMAKE_CURRENT_LIST_DIR} /
               VirtualSoundBackend.cpp ${CMAKE_CURRENT_LIST_DIR} /
               WaveFile.h ${CMAKE_CURRENT_LIST_DIR} / WaveFile.cpp)
    target_link_libraries(tembrel_shell PUBLIC Qt6::Multimedia PkgConfig::SNDFILE)
