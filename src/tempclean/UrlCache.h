// The Internet Explorer URL cache step of the cleaning (switched off in the job, see
// CleanUrlCacheToo).
#pragma once

// Deletes every entry of the URL cache (content entries, no pattern).
void DeleteUrlCacheEntries();
