#pragma once
// The grants a desk needs on the shop of a server, written by the shop's
// owner: koltctl server grant / revoke.
#include <QString>

// What a login may do in the open server shop.
enum class ShopGrant { None, ReadOnly, ReadWrite };

// Grants login what a desk needs on the open server shop: the schema, every
// table and (to write) the sequences that number the records; read-only
// grants SELECT alone. Tables a later release adds get the same grants.
// Replaces whatever the login had. False with *error in words when the data
// location is no server, the running login does not own the shop, or no such
// login exists.
bool GrantShopAccess(const QString& login, bool readOnly, QString* error);
// Takes every grant of the shop from login. The owner's own are kept.
bool RevokeShopAccess(const QString& login, QString* error);
// What login may do in the open server shop (None also when unreadable).
ShopGrant ShopGrantOf(const QString& login);
