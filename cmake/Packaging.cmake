# Two Debian packages from the install components: `cpack --config CPackConfig.cmake` in the
# build tree (tests/package runs it).
#   koralith         the game, pbrain-koralith, the pictures and text table, desktop entry, icons
#   koralith-server  the game server and its web face, their systemd units and man page
set(KORALITH_MAINTAINER "Koralith maintainers <maintainers@koralith.example.org>"
    CACHE STRING "Maintainer field of the Debian packages")
set(KORALITH_HOMEPAGE "https://koralith.example.org/"
    CACHE STRING "Homepage field of the Debian packages")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME koralith)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KORALITH_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL ${KORALITH_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The install scripts see the package's /usr as their prefix (the unit's ExecStart is made
# from it), with the staging folder as DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL koralith koralith-server)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KORALITH_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies are computed by dpkg-shlibdeps (dpkg-dev) from the executables.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_KORALITH_PACKAGE_NAME koralith)
set(CPACK_COMPONENT_KORALITH_DESCRIPTION
    "five-in-a-row (Gobang) game against the computer or online
Koralith is a desktop five-in-a-row game: a 15 x 15 board, black moves first,
and five stones in a row win. Play against a pattern-scoring computer opponent,
or log in to a Koralith game server and play other people under a move clock.
Also holds pbrain-koralith, the computer opponent as a Gomocup brain.")
# Data, not a library, so dpkg-shlibdeps cannot find it: the texts ask fontconfig for "Arial",
# which resolves to Liberation Sans once this is installed (another font otherwise).
set(CPACK_DEBIAN_KORALITH_PACKAGE_RECOMMENDS fonts-liberation2)

set(CPACK_DEBIAN_KORALITH-SERVER_PACKAGE_NAME koralith-server)
set(CPACK_COMPONENT_KORALITH-SERVER_DESCRIPTION
    "game server for Koralith, online five-in-a-row
Keeps the players' accounts and scores, matches players, judges each move,
runs the move clock and records every finished game in an SQLite database.
Comes with a sandboxed systemd unit (installed disabled) that listens on
port 8886 and keeps its database in /var/lib/koralith-server.
Also holds koralith-web, the server's public web face (leaderboard, player
pages, game replays), which only reads that database; its unit listens on
port 8080 and is installed disabled too.")

include(CPack)
